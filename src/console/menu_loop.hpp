#pragma once

#include <functional>

#include "console/console.hpp"

namespace kurenagi {

// One menu of the story: what is shown and asked before the number is read, what is
// written after it, and which answers leave the menu.
struct Menu {
    std::function<void()> ask;
    std::function<void()> after = [] {};
    std::function<bool(int)> accepts;
    // Whether a refused answer is met with the "not possible" notice.
    bool notice = true;
};

// Shows the menu until an accepted number is read into `answer`. A line without a number
// is refused like a wrong number, even if the answer kept from before would be accepted:
// a typo must never pass for an earlier choice.
void menu_loop(Console& con, int& answer, const Menu& menu);

}  // namespace kurenagi
