#include "console/menu_loop.hpp"
#include "console/screen.hpp"
#include "story/scenes.hpp"

namespace kurenagi {
namespace {

// The corridor move menus offer a single place to go; anything else is refused.
void move_menu(Console& con, StoryState& s, ScriptText<> choice, int only_way) {
    menu_loop(con, s.floor,
              {.ask =
                   [&] {
                       page_break(con);
                       con.say("移動したい場所を選んでください");
                       con.say("\n\n\n");
                       con.say(choice);
                       con.say("\n\n");
                       choice_prompt(con);
                   },
               .after = [&] { page_break(con); },
               .accepts = [&](int floor) { return floor == only_way; }});
}

}  // namespace

void arrive_at_classroom(Console& con, StoryState& s) {
    con.say("チャプター１ 「異変」");
    con.swallow();  // the Enter that confirmed the pronoun: the prologue waits for a new one
    if (con.gate()) {
        page_break(con);
        con.say("あなたは市立真象高校の生徒だ\n");
    }
    if (con.gate()) {
        con.say("今日、あなたは忘れ物をしてしまい、夜9時にとりに行くことにした。\n");
    }
    if (con.gate()) {
        con.say("\n\n");
        con.say("「なんで今日に限って忘れ物するかなぁ...」\n");
    }
    con.beat("そんなことを言いながら学校の空いていた窓から侵入した\n");
    if (con.gate()) {
        page_break(con);
        con.say("現在地：1F　廊下\n");
        con.say("\n\n");
    }
    if (con.gate()) {
        page_break(con);
        con.say("side %s\n", s.a);
        con.say("\n\n");
        con.say("%s %s\n", s.a, s.b);
        con.say("「さて、忘れ物をした教室は二階のA室だったはず...」\n\n");
    }
    if (con.gate()) {
        move_menu(con, s, "6.二階へ", 6);
    }
    if (con.gate()) {
        page_break(con);
        con.say("現在地：2F　廊下");
        con.say("\n\n\n");
    }
    if (con.gate()) {
        page_break(con);
        con.say("ギギギ...と何かが開くような音が聞こえた");
        con.say("\n\n");
    }
    con.beat("何の音だろう...?");
    con.beat("「...少し急いだほうがいいかな」");
    if (con.gate()) {
        move_menu(con, s, "1.2-a", 1);
    }
    if (con.gate()) {
        page_break(con);
        con.say("現在地：2-a");
        con.say("\n\n\n");
    }
    if (con.gate()) {
        page_break(con);
        con.say("%s %s\n", s.a, s.b);
        con.say("「えーっと、忘れ物した場所は...」");
        con.say("\n\n");
    }
}

}  // namespace kurenagi
