#include "terminal/line_editing/key_parser.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace kurenagi {
namespace {

constexpr unsigned char escape = 0x1B;

// The control characters that mean something; every other one is `nothing`. Enter comes as a
// line feed where the terminal maps CR to it, as it does unless told otherwise, and as CR
// where it does not.
constexpr std::array<std::pair<unsigned char, Key>, 9> control_keys = {{
    {'\n', Key::enter},
    {'\r', Key::enter},
    {'\t', Key::text},
    {0x7F, Key::backspace},     // what Backspace sends
    {0x08, Key::backspace},     // Ctrl-H, what some terminals send for it
    {0x01, Key::home},          // Ctrl-A
    {0x05, Key::end},           // Ctrl-E
    {0x15, Key::clear_line},    // Ctrl-U
    {0x04, Key::end_of_input},  // Ctrl-D
}};

// The final byte of ESC [ ... or ESC O ...: the arrows, Home and End, in both the normal and
// the application cursor mode (Up and Down edit nothing on a line of its own).
constexpr std::array<std::pair<unsigned char, Key>, 4> cursor_keys = {{
    {'C', Key::right},
    {'D', Key::left},
    {'H', Key::home},
    {'F', Key::end},
}};

// ESC [ N ~, by N: the keys of the editing pad as VT220 and xterm number them.
constexpr std::array<std::pair<int, Key>, 5> editing_pad_keys = {{
    {1, Key::home},
    {7, Key::home},
    {4, Key::end},
    {8, Key::end},
    {3, Key::delete_forward},
}};

template <class Table, class Code>
Key look_up(const Table& table, Code code) {
    const auto* found = std::find_if(table.begin(), table.end(),
                                     [code](const auto& entry) { return entry.first == code; });
    return found == table.end() ? Key::nothing : found->second;
}

bool is_final(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }

}  // namespace

std::optional<Key> KeyParser::take(char byte) {
    const auto code = static_cast<unsigned char>(byte);
    switch (state_) {
        case State::escape:
            return in_escape(code);
        case State::csi:
            return in_csi(code);
        case State::ss3:
            return in_ss3(code);
        case State::ground:
            break;
    }
    return in_ground(code);
}

std::optional<Key> KeyParser::in_ground(unsigned char byte) {
    if (byte == escape) {
        state_ = State::escape;
        return std::nullopt;
    }
    return byte < 0x20 || byte == 0x7F ? look_up(control_keys, byte) : Key::text;
}

// After ESC: a CSI or SS3 sequence begins, or a printable key pressed with Alt is consumed
// with it. Anything else leaves the Esc alone, as a key of its own, and stands for itself.
std::optional<Key> KeyParser::in_escape(unsigned char byte) {
    if (byte == '[' || byte == 'O') {
        state_ = byte == '[' ? State::csi : State::ss3;
        first_parameter_ = 0;
        in_first_parameter_ = true;
        return std::nullopt;
    }
    if (byte == escape) {
        return Key::nothing;  // the first Esc was alone; the second may start a sequence
    }
    state_ = State::ground;
    return byte >= 0x20 && byte < 0x7F ? Key::nothing : in_ground(byte);
}

// ESC [, then parameters (0x30 to 0x3F), intermediates (0x20 to 0x2F) and one final byte. A
// byte that belongs to no sequence ends it unfinished, and stands for itself.
std::optional<Key> KeyParser::in_csi(unsigned char byte) {
    if (is_final(byte)) {
        state_ = State::ground;
        return byte == '~' ? look_up(editing_pad_keys, first_parameter_)
                           : look_up(cursor_keys, byte);
    }
    if (byte < 0x20 || byte > 0x3F) {
        state_ = State::ground;
        return in_ground(byte);
    }
    if (byte >= '0' && byte <= '9' && in_first_parameter_) {
        first_parameter_ = std::min(first_parameter_ * 10 + (byte - '0'), 1000);
    } else {
        in_first_parameter_ = false;
    }
    return std::nullopt;
}

std::optional<Key> KeyParser::in_ss3(unsigned char byte) {
    state_ = State::ground;
    return is_final(byte) ? look_up(cursor_keys, byte) : in_ground(byte);
}

}  // namespace kurenagi
