#include "terminal/windows/text_mode_input.hpp"

namespace kurenagi {

std::string TextModeInput::take(std::string_view piece) {
    std::string keys;
    for (const char key : piece) {
        if (ended_) {
            break;
        }
        if (held_cr_ && key != '\n') {
            keys += '\r';
        }
        held_cr_ = key == '\r';
        ended_ = ctrl_z_ends_ && key == '\x1A';
        if (!held_cr_ && !ended_) {
            keys += key;
        }
    }
    return keys;
}

std::string TextModeInput::finish() const { return held_cr_ ? "\r" : ""; }

}  // namespace kurenagi
