#pragma once

#include <span>

#include "terminal/terminal.hpp"

namespace kurenagi {

// What the command line asks for. Only --help and --version mean anything; the first of them
// wins, and every other argument is ignored.
enum class Request { play, help, version };

Request request_of(std::span<char* const> arguments);

// Prints the help or the version on `terminal`, in Japanese or in English, and returns the exit
// status: 0, or 1 if it could not be written.
int answer(Request request, bool japanese, Terminal& terminal);

}  // namespace kurenagi
