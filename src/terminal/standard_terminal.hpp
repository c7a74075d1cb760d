#pragma once

#include <memory>

#include "terminal/terminal.hpp"

namespace kurenagi {

// The terminal of this process: standard input, standard output and standard error, spoken
// to in the encoding of the screen they lead to. The kind of screen is decided here, once.
std::unique_ptr<Terminal> open_standard_terminal();

// Standard output for what the program prints instead of playing (its help, its version): in
// the locale's encoding wherever it goes, a terminal, a pipe or a file, as every program's
// messages are.
std::unique_ptr<Terminal> open_message_output();

// Standard error for what the program says when it cannot take its command line, in the
// locale's encoding like every message. Where the game has a window of its own, which would
// close with it, the window stays until the player presses Enter; otherwise nothing is read.
std::unique_ptr<Terminal> open_error_output();

// Gives the player's terminal back its own mode, if the game changed it, for a way out that
// runs no destructor. Safe in a signal handler.
void give_the_terminal_back();

// Whether the player's locale asks for messages in Japanese.
bool messages_in_japanese();

}  // namespace kurenagi
