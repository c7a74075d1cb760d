#pragma once

#include <functional>
#include <memory>

#include "terminal/terminal.hpp"

namespace kurenagi {

// What a player's screen and keyboard need when the run is over, however it ended. The
// device decides, once, at the start, which of these apply.
struct Closing {
    // The screen is a terminal: a last line the story left open is ended, so that whatever
    // comes next (the shell's prompt) starts on a line of its own.
    bool end_the_line = false;
    // The game is the first process of its terminal, which closes its window with it: the
    // window stays, with a line that says so, until the player presses Enter.
    bool keep_the_window = false;
    // The keyboard is a terminal: keys still unread are thrown away, so that nothing typed
    // for the story reaches the shell after it. Empty where there is nothing to discard.
    std::function<void()> discard_typed_ahead;
    // The window stays after a message of the program's own, not after a story: its last line
    // then says only how to close it.
    bool after_a_message = false;
};

// Puts `closing` around a terminal: it passes everything through, and does what `closing`
// says when it is destroyed at the end of the run. The story's bytes are never touched.
std::unique_ptr<Terminal> closing_terminal(std::unique_ptr<Terminal> terminal, Closing closing);

// The closing manners of a message said instead of a story: where the game has a `window` of
// its own, the window stays until Enter, keys typed before thrown away by `discard_typed_ahead`;
// anywhere else nothing is read.
std::unique_ptr<Terminal> closing_after_a_message(std::unique_ptr<Terminal> terminal, bool window,
                                                  std::function<void()> discard_typed_ahead);

}  // namespace kurenagi
