#pragma once

#include <cstdint>
#include <optional>

namespace kurenagi {

// What a key pressed at a terminal means to the line editor. A key that edits nothing (Up,
// PageDown, a function key, a lone Esc, an Alt chord, a control character of no use) is
// `nothing`: consumed whole, so that none of its bytes reaches the line.
enum class Key : std::uint8_t {
    text,  // a byte of a character (or a Tab), to be put into the line
    enter,
    backspace,
    delete_forward,
    left,
    right,
    home,
    end,
    clear_line,
    end_of_input,  // Ctrl-D
    nothing,
};

// Turns the bytes a terminal sends for its keys into keys: control characters by a table,
// and escape sequences (CSI and SS3, with their parameters, and Esc followed by one more key)
// whole. Byte by byte, so that a sequence split across reads means what it means in one.
class KeyParser {
public:
    // The key `byte` completes, or nothing while a sequence is under way.
    std::optional<Key> take(char byte);

    // An Esc that nothing has followed yet: a lone Esc, or the start of a sequence still to
    // come. A terminal sends a sequence in one go, so one that waits long was a lone Esc.
    [[nodiscard]] bool after_escape() const { return state_ == State::escape; }

    // The wait after a lone Esc is over: the Esc was a key of its own.
    void forget_escape() { state_ = State::ground; }

private:
    enum class State : std::uint8_t { ground, escape, csi, ss3 };

    std::optional<Key> in_ground(unsigned char byte);
    std::optional<Key> in_escape(unsigned char byte);
    std::optional<Key> in_csi(unsigned char byte);
    std::optional<Key> in_ss3(unsigned char byte);

    State state_ = State::ground;
    int first_parameter_ = 0;
    bool in_first_parameter_ = true;
};

}  // namespace kurenagi
