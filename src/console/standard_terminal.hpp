#pragma once

#include <memory>

#include "console/terminal.hpp"

namespace kurenagi {

// The terminal of this process: standard input, standard output and standard error.
std::unique_ptr<Terminal> open_standard_terminal();

}  // namespace kurenagi
