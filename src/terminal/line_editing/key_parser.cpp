#include "terminal/line_editing/key_parser.hpp"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace kurenagi {
namespace {

constexpr unsigned char escape = 0x1B;

// The control characters that mean something; every other one is `nothing`. Enter comes as a
// line feed where the terminal maps CR to it, as it does unless told otherwise, and as CR
// where it does not.
constexpr std::array<std::pair<unsigned char, Key>, 10> control_keys = {{
    {'\n', Key::enter},
    {'\r', Key::enter},
    {'\t', Key::text},
    {0x7F, Key::backspace},         // what Backspace sends
    {0x08, Key::backspace},         // Ctrl-H, what some terminals send for it
    {0x01, Key::home},              // Ctrl-A
    {0x05, Key::end},               // Ctrl-E
    {0x15, Key::clear_line},        // Ctrl-U
    {0x17, Key::delete_word_back},  // Ctrl-W
    {0x04, Key::end_of_input},      // Ctrl-D
}};

// Esc and then one more key: the Alt chords of a shell's line editor. Any other printable
// one edits nothing.
constexpr std::array<std::pair<unsigned char, Key>, 4> alt_keys = {{
    {0x7F, Key::delete_word_back},  // Alt-Backspace
    {0x08, Key::delete_word_back},
    {'b', Key::word_back},
    {'f', Key::word_forward},
}};

// The final byte of ESC [ ... or ESC O ...: the arrows, Home and End, in both the normal and
// the application cursor mode, and what they mean with Ctrl or Alt held.
struct CursorKey {
    unsigned char final;
    Key plain;
    Key with_ctrl_or_alt;
};
constexpr std::array<CursorKey, 6> cursor_keys = {{
    {'A', Key::up, Key::nothing},
    {'B', Key::down, Key::nothing},
    {'C', Key::right, Key::word_forward},
    {'D', Key::left, Key::word_back},
    {'H', Key::home, Key::home},
    {'F', Key::end, Key::end},
}};

// ESC [ N ~, by N: the keys of the editing pad as VT220 and xterm number them.
constexpr std::array<std::pair<int, Key>, 5> editing_pad_keys = {{
    {1, Key::home},
    {7, Key::home},
    {4, Key::end},
    {8, Key::end},
    {3, Key::delete_forward},
}};

// What follows ESC to start a string a terminal sends, ended by BEL or ST (ESC \\): OSC, DCS,
// APC, PM and SOS.
constexpr std::string_view string_starts = "]P_^X";

constexpr unsigned char bell = 0x07;
constexpr unsigned char cancel = 0x18;
constexpr unsigned char substitute = 0x1A;

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
        case State::string:
            return in_string(code);
        case State::string_escape:
            if (code == '\\') {  // ST
                state_ = State::ground;
                return Key::nothing;
            }
            return in_escape(code);  // a new sequence cuts the string short
        case State::mouse:
            return in_mouse();
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

// After ESC: a CSI or SS3 sequence or a string begins, or a key pressed with Alt is consumed
// with it. A control character leaves the Esc alone, as part of no key, and stands for itself.
std::optional<Key> KeyParser::in_escape(unsigned char byte) {
    state_ = State::ground;
    if (byte == '[' || byte == 'O') {
        state_ = byte == '[' ? State::csi : State::ss3;
        parameters_ = {};
        parameter_ = 0;
        intermediates_ = false;
        return std::nullopt;
    }
    if (string_starts.find(static_cast<char>(byte)) != std::string_view::npos) {
        state_ = State::string;
        left_ = longest_string;
        return std::nullopt;
    }
    if (byte == escape) {
        state_ = State::escape;  // Alt-Esc; or it may start a sequence
        return Key::nothing;
    }
    const Key alt = look_up(alt_keys, byte);
    if (alt != Key::nothing || (byte >= 0x20 && byte < 0x7F)) {
        return alt;
    }
    return in_ground(byte);
}

// ESC [, then parameters (0x30 to 0x3F), intermediates (0x20 to 0x2F) and one final byte. A
// byte that belongs to no sequence ends it unfinished, and stands for itself.
std::optional<Key> KeyParser::in_csi(unsigned char byte) {
    if (is_final(byte)) {
        state_ = State::ground;
        if (byte == 'M' && parameter_ == 0 && parameters_[0] == 0 && !intermediates_) {
            state_ = State::mouse;  // X10: button, column and row, a byte each
            left_ = 3;
            return std::nullopt;
        }
        if (intermediates_) {
            return Key::nothing;  // reports with private parameters: SGR mouse, and others
        }
        if (byte == 'R' && parameter_ == 1) {
            return Key::cursor_report;  // CSI row ; column R
        }
        return byte == '~' ? look_up(editing_pad_keys, parameters_[0]) : cursor_key(byte);
    }
    if (byte < 0x20 || byte > 0x3F) {
        state_ = State::ground;
        return in_ground(byte);
    }
    if (byte >= '0' && byte <= '9') {
        if (parameter_ < 2) {
            int& parameter = parameters_.at(static_cast<std::size_t>(parameter_));
            parameter = std::min(parameter * 10 + (byte - '0'), 1000);
        }
    } else if (byte == ';') {
        parameter_ = std::min(parameter_ + 1, 2);
    } else {
        intermediates_ = true;
    }
    return std::nullopt;
}

std::optional<Key> KeyParser::in_ss3(unsigned char byte) {
    state_ = State::ground;
    return is_final(byte) ? cursor_key(byte) : in_ground(byte);
}

// A string ends at BEL or ST, and is cut short by CAN or SUB. No terminal's answer holds a line
// end or runs on without end: Enter, or the byte after too long a string, is a key again.
std::optional<Key> KeyParser::in_string(unsigned char byte) {
    if (byte == bell || byte == cancel || byte == substitute) {
        state_ = State::ground;
        return Key::nothing;
    }
    if (byte == escape) {
        state_ = State::string_escape;
        return std::nullopt;
    }
    if (byte == '\n' || byte == '\r' || --left_ < 0) {
        state_ = State::ground;
        return in_ground(byte);
    }
    return std::nullopt;
}

std::optional<Key> KeyParser::in_mouse() {
    if (--left_ > 0) {
        return std::nullopt;
    }
    state_ = State::ground;
    return Key::nothing;
}

// xterm's modifier parameter is 1 and the sum of Shift 1, Alt 2 and Ctrl 4.
Key KeyParser::cursor_key(unsigned char final) const {
    const auto* found = std::find_if(cursor_keys.begin(), cursor_keys.end(),
                                     [final](const CursorKey& key) { return key.final == final; });
    if (found == cursor_keys.end()) {
        return Key::nothing;
    }
    const int modifiers = std::max(parameters_[1] - 1, 0);
    return (modifiers & (2 | 4)) != 0 ? found->with_ctrl_or_alt : found->plain;
}

}  // namespace kurenagi
