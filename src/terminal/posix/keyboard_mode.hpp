#pragma once

#include <termios.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace kurenagi {

// The keyboard's terminal in the line editor's mode for the run: non-canonical and without
// echo, its signal keys kept. The terminal gets its own mode back at the end, on a signal that
// ends the game, and while the game is stopped (Ctrl-Z, or a read or a mode change from the
// background), with the cursor on a row of its own below the line being typed, for the
// shell's job notice. There is one keyboard.
class KeyboardMode {
public:
    // What the signal handlers saw since the editor last asked.
    struct Notes {
        bool resized;    // the window has a new size
        bool continued;  // the game was stopped and goes on: the screen is the shell's now
    };

    // Null where the editor's wake-up cannot be made. `own` is the terminal's mode before.
    static std::unique_ptr<KeyboardMode> take(int fd, const termios& own);

    // Keys typed before the game took the terminal, as the terminal cooked them: whole lines,
    // and a Ctrl-D that handed over a line or ended the input, which it keeps as no byte.
    std::string typed_before() { return std::move(typed_before_); }

    KeyboardMode(const KeyboardMode&) = delete;
    KeyboardMode& operator=(const KeyboardMode&) = delete;
    ~KeyboardMode();

    // What brings the cursor from where it stands to a row of its own below the line being
    // typed, written to `echo_fd` when the game stops. At most 64 bytes; longer is not kept.
    static void when_stopped(int echo_fd, std::string_view leave);

    // Readable whenever a handler has left a note, so that a wait for keys ends for it.
    [[nodiscard]] int wake_descriptor() const { return wake_[0]; }
    Notes take_notes();

private:
    KeyboardMode(int fd, const termios& own, std::array<int, 2> wake);

    std::array<int, 2> wake_;
    std::string typed_before_;
};

// Gives the keyboard's terminal its own mode back, if the editor has it. Safe in a signal
// handler.
void restore_keyboard_mode();

}  // namespace kurenagi
