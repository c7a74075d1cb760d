#pragma once

#include "terminal/terminal.hpp"

namespace kurenagi {

// Plays chapter one on the terminal from its first screen to one of its endings and
// returns the exit status: 0 however the story ends, non-zero if the screen was lost.
int play(Terminal& terminal);

}  // namespace kurenagi
