#pragma once

#include <span>
#include <string>

#include "terminal/terminal.hpp"

namespace kurenagi {

// What the command line asks for. Options are taken as GNU programs take them: wherever they
// stand among the operands, a long one by any unambiguous beginning of its name, and none after
// "--". The first of --help, --version and a fault decides; an operand is a fault of its own,
// since the game reads none.
enum class Request { play, help, version, refused };

// Why a command line was refused, and the argument that made it so.
enum class Fault { unknown_long_option, unknown_short_option, needless_value, operand };

struct CommandLine {
    Request request = Request::play;
    Fault fault = Fault::operand;
    std::string argument;  // as the player typed it; a short option without its "-"
};

CommandLine command_line_of(std::span<char* const> arguments);

// Prints the help or the version on `terminal`, in Japanese or in English, and returns the exit
// status: 0, or 1 if it could not be written.
int answer(Request request, bool japanese, Terminal& terminal);

// Says what was wrong with a refused command line and where help is, in two lines, and
// returns the exit status for a command line the game cannot take: 2.
int refuse(const CommandLine& command_line, bool japanese, Terminal& terminal);

}  // namespace kurenagi
