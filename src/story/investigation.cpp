#include "console/menu_loop.hpp"
#include "console/screen.hpp"
#include "story/scenes.hpp"

namespace kurenagi {
namespace {

void choose_place(Console& con, StoryState& s) {
    if (!con.gate()) {
        return;  // the place chosen last time is looked at again
    }
    menu_loop(con, s.examine,
              {.ask =
                   [&] {
                       page_break(con);
                       con.say("調べたい場所を指定してください");
                       con.say("\n\n\n");
                       con.say("1.机の中");
                       con.say("\n\n");
                       con.say("2.窓");
                       con.say("\n\n");
                       choice_prompt(con);
                   },
               .after = [&] { page_break(con); },
               .accepts = [](int examine) { return examine == 1 || examine == 2; }});
}

// Any number answers it; only a line without one asks again.
void look_or_go(Console& con, StoryState& s) {
    look_or_go_menu(con);
    while (!con.read_number(s.janp)) {
        invalid_choice(con);
        look_or_go_choices(con);
    }
    ++s.desk_visits;
    page_break(con);
}

void look_into_desk(Console& con, StoryState& s) {
    if (con.gate()) {
        con.say("side %s\n", s.a);
        con.say("\n\n");
        con.say("%sは机の中を見てみることにした", s.d);
        con.say("\n\n");
    }
    con.beat("鍵（図書室）を見つけた...");
    con.beat("「なんでこんなものがここに？」");
    con.beat("もしかして、忘れ物はなかったけど鍵があるし図書室にあるのかも...？");
    con.beat("もう一つの忘れ物のこともあるし...");
    if (con.gate()) {
        con.say("図書室に行ってみよう");
    }
    look_or_go(con, s);
}

void look_into_desk_again(Console& con, StoryState& s) {
    if (con.gate()) {
        con.say("何もないみたいだ");
    }
    look_or_go(con, s);
}

// The window menus offer nothing but to look on.
void keep_looking_choice(Console& con) {
    con.say("1.まだ調べる");
    con.say("\n\n");
    choice_prompt(con);
}

bool keeps_looking(int janp) { return janp == 1; }

void look_out_of_window(Console& con, StoryState& s) {
    if (con.gate()) {
        con.say("side %s\n", s.a);
        con.say("\n\n");
        con.say("%sはふと窓が気になり、見てみることにした", s.d);
        con.say("\n\n");
    }
    con.beat("そこには何かがいた");
    con.beat(
        "頭部は血が噴き出てぐちゃぐちゃにつぶされている\n"
        "体はいたるところに打撲痕があり、元々制服だったであろう物は無残にも切り裂かれていた");
    con.beat("呆然としていた%sはそれが口であろう部分を開けて何かを言おうとしていることに気づいた",
             s.d);
    con.beat("「ネぇ...」");
    con.beat("「蜉ｩ縺代※！！！！！」");
    con.beat("そういいながらこちらに向かって窓をたたいている");
    con.beat(
        "「蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※"
        "蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※蜉ｩ縺代※！！」");
    con.beat("%sは見てはいけないものを見てしまったという思いと恐怖心で頭がいっぱいになった", s.d);
    if (con.gate()) {
        page_break(con);
        con.say("精神力：５減少");
        s.mental -= 5;
        con.say("\n\n\n");
        con.say("精神力：%d", s.mental);
        con.say("\n\n");
    }
    con.beat("「何だったんだろう...」");
    if (con.gate()) {
        con.say("何が何だかわからないけれど、とりあえず探索に戻ろう...");
        con.say("\n\n\n");
    }
    menu_loop(con, s.janp,
              {.ask =
                   [&] {
                       page_break(con);
                       keep_looking_choice(con);
                   },
               .accepts = keeps_looking});
    ++s.window_visits;
}

void look_out_of_window_again(Console& con, StoryState& s) {
    if (con.gate()) {
        con.say("もう何もいないみたいだ...");
    }
    menu_loop(con, s.janp,
              {.ask =
                   [&] {
                       con.say("\n\n\n");
                       keep_looking_choice(con);
                   },
               .after = [&] { page_break(con); },
               .accepts = keeps_looking});
    ++s.window_visits;
}

void examine_chosen_place(Console& con, StoryState& s) {
    if (s.examine == 1 && s.desk_visits == 0) {
        look_into_desk(con, s);
    } else if (s.examine == 1) {
        look_into_desk_again(con, s);
    } else if (s.examine == 2 && s.window_visits == 0) {
        look_out_of_window(con, s);
    } else if (s.examine == 2) {
        look_out_of_window_again(con, s);
    }
}

// Only the answer 2 after a look at the desk leads here.
void choose_route(Console& con, StoryState& s) {
    if (con.gate()) {
        con.say("現在地：2-a");
        con.say("\n\n\n");
    }
    if (con.gate()) {
        menu_loop(con, s.janp,
                  {.ask =
                       [&] {
                           con.say("移動したい場所を選んでください");
                           con.say("\n\n\n");
                           con.say("1.2-a");
                           con.say("\n\n");
                           con.say("4.図書室");
                           con.say("\n\n");
                           choice_prompt(con);
                       },
                   .after = [&] { page_break(con); },
                   .accepts = [](int janp) { return janp == 1 || janp == 4; }});
    }
}

}  // namespace

Route investigate_classroom(Console& con, StoryState& s) {
    for (;;) {
        choose_place(con, s);
        examine_chosen_place(con, s);
        if (s.janp == 2) {
            choose_route(con, s);
        }
        if (s.janp != 1) {
            return s.janp == 4 ? Route::library : Route::end;
        }
    }
}

}  // namespace kurenagi
