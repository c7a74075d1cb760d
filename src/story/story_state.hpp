#pragma once

#include "console/text_field.hpp"

namespace kurenagi {

// Typed at the title menu instead of 1, it opens the hidden scene. The menu never shows it.
inline constexpr int hidden_number = 58203;

// Everything the story remembers during one run. Menu answers keep their value until the
// next answer to the same question: several scenes decide on an answer given earlier.
struct StoryState {
    TextField a{};  // family name
    TextField b{};  // given name
    TextField d{};  // first-person pronoun, used where the narration names the player
    int c = 0;      // title menu answer, then each confirmation's answer
    int floor = 0;  // answer at the corridor move menus
    int janp = 0;   // answer after each look around classroom 2-a and at its route menu
    int examine = 0;
    int desk_visits = 0;
    int window_visits = 0;
    int mental = 50;  // 精神力
};

}  // namespace kurenagi
