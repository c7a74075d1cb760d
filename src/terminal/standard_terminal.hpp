#pragma once

#include <memory>

#include "terminal/terminal.hpp"

namespace kurenagi {

// The terminal of this process: standard input, standard output and standard error, spoken
// to in the encoding of the screen they lead to. The kind of screen is decided here, once.
std::unique_ptr<Terminal> open_standard_terminal();

}  // namespace kurenagi
