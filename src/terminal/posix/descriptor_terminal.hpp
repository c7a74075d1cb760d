#pragma once

#include <unistd.h>

#include "terminal/terminal.hpp"

namespace kurenagi {

// Input and output descriptors as they are: bytes pass unchanged. A descriptor left
// non-blocking by whoever started the game is waited on, never taken for the end of the
// input or for a screen that is gone. A terminal that hangs up ends the input, and takes
// nothing more: nobody is left to read it.
class DescriptorTerminal : public Terminal {
public:
    explicit DescriptorTerminal(int input = STDIN_FILENO, int output = STDOUT_FILENO,
                                int errors = STDERR_FILENO)
        : input_(input), output_(output), errors_(errors), screen_(::isatty(output) != 0) {}

    std::size_t read(std::span<char> buffer) override;
    void write(std::string_view bytes) override;
    void complain(std::string_view message) override;

private:
    int input_;
    int output_;
    int errors_;
    bool screen_;  // the output is a terminal, which may hang up
    // The terminal hung up: the input has ended, wherever the story waits, and the screen,
    // when it is a terminal, takes nothing more.
    bool hung_up_ = false;
};

}  // namespace kurenagi
