#include "console/utf8_terminal.hpp"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

namespace kurenagi {
namespace {

// How many bytes make the character that iconv refused at the start of `bytes`: a whole
// character the other side lacks becomes one "?", a stray byte one "?" of its own.
using RefusedLength = std::size_t (*)(std::string_view bytes);

bool is_in(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

std::size_t refused_utf8(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = is_in(lead, 0xC2, 0xDF)   ? 2
                               : is_in(lead, 0xE0, 0xEF) ? 3
                               : is_in(lead, 0xF0, 0xF4) ? 4
                                                         : 1;
    if (length > bytes.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!is_in(static_cast<unsigned char>(bytes[i]), 0x80, 0xBF)) {
            return 1;
        }
    }
    return length;
}

std::size_t refused_cp932(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const bool double_byte = is_in(lead, 0x81, 0x9F) || is_in(lead, 0xE0, 0xFC);
    if (!double_byte || bytes.size() < 2) {
        return 1;
    }
    const auto trail = static_cast<unsigned char>(bytes[1]);
    return is_in(trail, 0x40, 0x7E) || is_in(trail, 0x80, 0xFC) ? 2 : 1;
}

// One direction of conversion. Input that ends inside a character is kept for the next call.
class Converter {
public:
    Converter(const char* to, const char* from, RefusedLength refused)
        : cd_(iconv_open(to, from)), refused_(refused) {}
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `bytes` after whatever was kept from last time.
    std::string convert(std::string_view bytes) {
        kept_ += bytes;
        std::string out;
        char* in = kept_.data();
        std::size_t in_left = kept_.size();
        while (in_left > 0) {
            std::array<char, 4096> chunk;
            char* to = chunk.data();
            std::size_t room = chunk.size();
            const std::size_t result = iconv(cd_, &in, &in_left, &to, &room);
            out.append(chunk.data(), to);
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
                continue;
            }
            if (errno == EINVAL) {
                break;  // the rest of this character comes with the next piece
            }
            const std::size_t skip = refused_({in, in_left});
            out += '?';
            in += skip;
            in_left -= skip;
        }
        kept_.erase(0, kept_.size() - in_left);
        return out;
    }

    // What is left when no more pieces will come: a character cut short.
    std::string rest() {
        std::string out = kept_.empty() ? "" : "?";
        kept_.clear();
        return out;
    }

private:
    iconv_t cd_;
    RefusedLength refused_;
    std::string kept_;
};

class Utf8Terminal : public Terminal {
public:
    explicit Utf8Terminal(std::unique_ptr<Terminal> device) : device_(std::move(device)) {}

    ~Utf8Terminal() override {
        try {
            // A character the story left unfinished still shows, as "?".
            if (const std::string rest = to_screen_.rest(); !rest.empty()) {
                device_->write(rest);
            }
        } catch (const OutputFailed&) {
            // The run is over; there is nobody left to tell.
        }
    }
    Utf8Terminal(const Utf8Terminal&) = delete;
    Utf8Terminal& operator=(const Utf8Terminal&) = delete;

    // Code page 932 is never longer than the UTF-8 it came from, so what one read of the
    // device brings always fits the caller's buffer.
    std::size_t read(std::span<char> buffer) override {
        std::string converted;
        while (converted.empty() && !ended_) {
            raw_.resize(buffer.size() - max_kept);
            const std::size_t got = device_->read(raw_);
            ended_ = got == 0;
            converted = ended_ ? from_keyboard_.rest() : from_keyboard_.convert({raw_.data(), got});
        }
        std::copy(converted.begin(), converted.end(), buffer.begin());
        return converted.size();
    }

    void write(std::string_view bytes) override { device_->write(to_screen_.convert(bytes)); }

    void complain(std::string_view message) override { device_->complain(message); }

private:
    // The longest piece of an unfinished UTF-8 character that can wait for the next read.
    static constexpr std::size_t max_kept = 3;

    std::unique_ptr<Terminal> device_;
    Converter from_keyboard_{"CP932", "UTF-8", refused_utf8};
    Converter to_screen_{"UTF-8", "CP932", refused_cp932};
    std::string raw_;
    // A terminal that said the input ended must not be asked again: it would wait.
    bool ended_ = false;
};

bool can_convert(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    // iconv_open tells failure by this one address.
    if (cd == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
        return false;
    }
    iconv_close(cd);
    return true;
}

}  // namespace

std::unique_ptr<Terminal> speak_utf8(std::unique_ptr<Terminal> device) {
    if (!can_convert("CP932", "UTF-8") || !can_convert("UTF-8", "CP932")) {
        return device;
    }
    return std::make_unique<Utf8Terminal>(std::move(device));
}

}  // namespace kurenagi
