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
    // Menu answers. A menu skipped by its failed gate leaves the answer before it (0 at first),
    // and the story decides on that.
    int c{};        // title menu answer, then each confirmation's answer
    int floor{};    // answer at the corridor move menus
    int janp{};     // answer after each look around classroom 2-a and at its route menu
    int examine{};  // answer at the choice of where to look
    int desk_visits = 0;
    int window_visits = 0;
    int mental = 50;  // 精神力
};

}  // namespace kurenagi
