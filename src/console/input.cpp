#include "console/input.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kurenagi {
namespace {

bool is_white_space(int byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
           byte == '\r';
}

bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }

}  // namespace

// `new` without braces leaves the 64 KiB unfilled: every byte is written by a read before it
// is looked at, and filling it would cost a playthrough more than its own work.
Input::Input(Terminal& terminal, Output& output)
    : terminal_(terminal),
      output_(output),
      buffer_(new std::array<char, console_piece>) {}  // NOLINT(modernize-make-unique)

bool Input::gate() {
    awaited_ = Awaited::key;
    const int last_key = take();
    return last_key == '\n';
}

void Input::swallow() {
    awaited_ = Awaited::key;
    take();
}

bool Input::read_number(int& number) {
    awaited_ = Awaited::number;
    int byte = skip_white_space();
    const bool negative = byte == '-';
    if (byte == '+' || byte == '-') {
        take();
        byte = peek();
    }
    if (!is_digit(byte)) {
        discard_line();
        return false;
    }
    // Past the magnitude of INT_MIN the value only saturates, so it stops growing there while
    // the digits are eaten.
    constexpr std::int64_t limit = -std::int64_t{INT_MIN};
    std::int64_t magnitude = 0;
    for (; is_digit(byte); byte = peek()) {
        take();
        magnitude = std::min(magnitude * 10 + (byte - '0'), limit);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    number = static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
    return true;
}

void Input::read_word(TextField& field) {
    awaited_ = Awaited::word;
    if (skip_white_space() == end_of_input) {
        return;
    }
    TextField word{};
    std::size_t length = 0;
    for (int byte = peek(); byte != end_of_input && !is_white_space(byte); byte = peek()) {
        take();
        if (length < word.size()) {
            word[length] = static_cast<char>(byte);
        }
        ++length;
    }
    field = length < word.size() ? word : TextField{};
}

int Input::peek() {
    if (start_ == end_ && !refill()) {
        return end_of_input;
    }
    return static_cast<unsigned char>((*buffer_)[start_]);
}

int Input::take() {
    const int byte = peek();
    if (byte != end_of_input) {
        ++start_;
    }
    return byte;
}

bool Input::refill() {
    // Once the input has ended it stays ended: a terminal must not be asked again after
    // the player closed it.
    if (ended_) {
        return false;
    }
    output_.flush();
    start_ = 0;
    terminal_.await(awaited_);
    end_ = terminal_.read(*buffer_);
    ended_ = end_ == 0;
    return !ended_;
}

int Input::skip_white_space() {
    int byte = peek();
    for (; is_white_space(byte); byte = peek()) {
        take();
    }
    return byte;
}

void Input::discard_line() {
    for (int byte = take(); byte != '\n'; byte = take()) {
        if (byte == end_of_input) {
            throw InputEnded{};
        }
    }
}

}  // namespace kurenagi
