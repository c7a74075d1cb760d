#pragma once

#include "console/console.hpp"

namespace kurenagi {

// The screen pieces every scene shares.

// A line of 21 full-width underscores, with no line feed around it.
void print_rule(Console& con);

// Four empty lines, the rule and four more: the story's way of turning a page.
void page_break(Console& con);

// The notice for an answer a menu does not offer.
void invalid_choice(Console& con);

// Asks for a menu answer on the same line.
void choice_prompt(Console& con);

void title_menu(Console& con);

// The question after a look at the desk, behind its own gate. The caller reads the answer.
void look_or_go_menu(Console& con);

// The same question without the gate, for asking it again.
void look_or_go_choices(Console& con);

}  // namespace kurenagi
