#include "console/screen.hpp"

namespace kurenagi {

void print_rule(Console& con) {
    for (int i = 0; i < 21; ++i) {
        con.say("＿");
    }
}

void page_break(Console& con) {
    con.say("\n\n\n\n");
    print_rule(con);
    con.say("\n\n\n\n");
}

void invalid_choice(Console& con) {
    con.say("その入力は現在できません");
    con.say("\n\n\n");
}

void choice_prompt(Console& con) { con.say("選択肢を入力してください："); }

void title_menu(Console& con) {
    con.say("ー　クレナギ　ー");
    con.say("\n\n\n\n");
    con.say("1.start");
    con.say("\n\n\n\n");
    choice_prompt(con);
}

void look_or_go_menu(Console& con) {
    if (con.gate()) {
        look_or_go_choices(con);
    }
}

void look_or_go_choices(Console& con) {
    con.say("\n\n\n");
    con.say("1.まだ調べる");
    con.say("\n\n");
    con.say("2.進む");
    con.say("\n\n");
    choice_prompt(con);
}

}  // namespace kurenagi
