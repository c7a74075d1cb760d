#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace kurenagi {

// What a key pressed at a terminal means to the line editor. A key that edits nothing
// (PageDown, a function key, an Alt chord, a control character of no use) and whatever else a
// terminal sends that is no key (its reports, a mouse's) are `nothing`: consumed whole, so
// that none of their bytes reaches the line.
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
    word_back,         // to the start of the word before the cursor
    word_forward,      // to the end of the word after it
    delete_word_back,  // the word before the cursor
    up,                // the line given before: history
    down,
    escape,         // a lone Esc, once its wait is over
    cursor_report,  // where the terminal says its cursor is: report()
    end_of_input,   // Ctrl-D
    nothing,
};

// Turns the bytes a terminal sends for its keys into keys: control characters by a table,
// and escape sequences (CSI and SS3, with their parameters, and Esc followed by one more key)
// whole, as are the strings a terminal answers with (OSC, DCS, APC, PM and SOS, to BEL or ST)
// and X10 mouse reports. Byte by byte, so that a sequence split across reads means what it
// means in one.
class KeyParser {
public:
    // The key `byte` completes, or nothing while a sequence is under way.
    std::optional<Key> take(char byte);

    // An Esc that nothing has followed yet: a lone Esc, or the start of a sequence still to
    // come. A terminal sends a sequence in one go, so one that waits long was a lone Esc.
    [[nodiscard]] bool after_escape() const { return state_ == State::escape; }

    // The wait after a lone Esc is over: the Esc was a key of its own.
    Key escape_alone() {
        state_ = State::ground;
        return Key::escape;
    }

    // The row and the column of the last cursor report, counted from 1.
    [[nodiscard]] std::array<int, 2> report() const { return parameters_; }

    // A string longer than this is no terminal's answer: its bytes are keys again.
    static constexpr int longest_string = 1024;

private:
    enum class State : std::uint8_t { ground, escape, csi, ss3, string, string_escape, mouse };

    std::optional<Key> in_ground(unsigned char byte);
    std::optional<Key> in_escape(unsigned char byte);
    std::optional<Key> in_csi(unsigned char byte);
    std::optional<Key> in_ss3(unsigned char byte);
    std::optional<Key> in_string(unsigned char byte);
    std::optional<Key> in_mouse();
    [[nodiscard]] Key cursor_key(unsigned char final) const;

    State state_ = State::ground;
    std::array<int, 2> parameters_{};  // the first two, enough for a key and its modifiers
    int parameter_ = 0;                // which one is being read; 2 and on are not kept
    bool intermediates_ = false;       // bytes of the sequence that are no digit or ';'
    int left_ = 0;                     // in a string, or a mouse report: bytes it may still take
};

}  // namespace kurenagi
