#include "console/menu_loop.hpp"
#include "console/screen.hpp"
#include "story/scenes.hpp"

namespace kurenagi {
namespace {

void turn_page_after_answer(Console& con) {
    con.say("\n\n");
    page_break(con);
}

// Asks for an entry, then whether it is right, until the player keeps it: any answer but 2
// keeps what was typed; 2, or a line without a number, asks again.
void until_confirmed(Console& con, StoryState& s, const std::function<void()>& ask_entry) {
    menu_loop(con, s.c,
              {.ask =
                   [&] {
                       ask_entry();
                       con.say("1.はい");
                       con.say("\n\n");
                       con.say("2.いいえ");
                       con.say("\n\n");
                       choice_prompt(con);
                   },
               .after = [&] { turn_page_after_answer(con); },
               .accepts = [](int c) { return c != 2; },
               .notice = false});
}

}  // namespace

void open_title(Console& con, StoryState& s) {
    con.say("注意！\n");
    con.say("\n\n");
    con.say("先に進む時 = Enterキー\n選択肢入力の際は半角英数でお願いいたします\n\n\n");
    if (!con.gate()) {
        return;
    }
    menu_loop(con, s.c,
              {.ask =
                   [&] {
                       page_break(con);
                       title_menu(con);
                   },
               .after = [&] { turn_page_after_answer(con); },
               .accepts = [](int c) { return c == 1 || c == hidden_number; },
               .notice = false});
}

void enter_names(Console& con, StoryState& s) {
    until_confirmed(con, s, [&] {
        con.say("あなたの名字と名前を入力してください\n");
        con.say("\n\n");
        con.say("名字：");
        con.read_word(s.a);
        con.say("\n\n");
        con.say("名前：");
        con.read_word(s.b);
        con.say("\n\n");
        con.say("%s %s であっていますか？\n\n", s.a, s.b);
    });
}

void enter_pronoun(Console& con, StoryState& s) {
    until_confirmed(con, s, [&] {
        con.say("あなたの一人称を入力してください\n");
        con.say("\n\n");
        con.say("一人称：");
        con.read_word(s.d);
        con.say("\n\n");
        con.say(" %s であっていますか？\n\n", s.d);
    });
}

}  // namespace kurenagi
