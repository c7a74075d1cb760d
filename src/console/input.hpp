#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>

#include "console/output.hpp"
#include "console/text_field.hpp"
#include "terminal/terminal.hpp"

namespace kurenagi {

// Raised when the input ends where the story needs a number to go on: nothing could ever
// answer the menu, so the run is over.
struct InputEnded {};

// The player's keystrokes as one byte stream, read the way a line-buffered console delivers
// them: nothing until Enter, then the whole line in order. Reads that find nothing left in
// the line first send everything written so far, so the player sees what is being asked.
class Input {
public:
    Input(Terminal& terminal, Output& output);

    // Takes one byte and passes only on a line feed: Enter moves the story on by one beat,
    // any other key skips the beat silently.
    bool gate();

    // Takes one byte, whatever it is.
    void swallow();

    // Reads an optionally signed decimal number, leaving the byte after it unread.
    // Returns false, with `number` untouched, for a line that holds no number; that line is
    // thrown away through its line feed. Throws InputEnded at end of input.
    bool read_number(int& number);

    // Reads a whitespace-delimited word, leaving the byte after it unread. A word longer
    // than the field holds empties the field; at end of input the field stays as it was.
    void read_word(TextField& field);

private:
    static constexpr int end_of_input = EOF;

    int peek();
    int take();
    bool refill();
    int skip_white_space();
    void discard_line();

    Terminal& terminal_;
    Output& output_;
    std::unique_ptr<std::array<char, console_piece>> buffer_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    Awaited awaited_ = Awaited::key;  // what the read under way is for
};

}  // namespace kurenagi
