#include "terminal/windows/whole_characters.hpp"

namespace kurenagi {

std::size_t whole_cp932_length(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        if (lead && at + 1 == bytes.size()) {
            break;
        }
        at += lead ? 2 : 1;
    }
    return at;
}

std::size_t whole_utf16_length(std::u16string_view text) {
    const bool split = !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF;
    return split ? text.size() - 1 : text.size();
}

std::u16string pairs_as_one_refusal(std::u16string_view text) {
    const auto high = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto low = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    std::u16string one;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::u16string_view two = text.substr(at, 2);
        const bool pair = two.size() == 2 && high(two[0]) && low(two[1]);
        one += pair ? u'?' : text[at];
        at += pair ? 1 : 0;
    }
    return one;
}

}  // namespace kurenagi
