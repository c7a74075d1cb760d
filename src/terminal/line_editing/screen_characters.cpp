#include "terminal/line_editing/screen_characters.hpp"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cwchar>

namespace kurenagi {
namespace {

// Columns as every terminal emulator counts them today: by Unicode, whatever the player's own
// locale says (it may not even be installed). The C library's C.UTF-8 locale knows them; a
// character newer than its tables (an emoji, say) takes one column, as terminals give it.
int columns_of(char32_t character) {
    if (character < 0x20 || (character >= 0x7F && character < 0xA0)) {
        return -1;
    }
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (unicode == nullptr) {
        return 1;
    }
    const locale_t own = uselocale(unicode);
    const int columns = wcwidth(static_cast<wchar_t>(character));
    uselocale(own);
    return columns < 0 ? 1 : columns;
}

// `in` converted whole by `cd`, or nothing: a character the other side lacks is no
// character of it. Every codeset here is one without shift states.
bool convert(void* cd, std::string_view in, std::string& out) {
    auto* const converter = static_cast<iconv_t>(cd);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    out.assign(in.size() * 4 + 4, '\0');
    char* from = const_cast<char*>(in.data());  // NOLINT(cppcoreguidelines-pro-type-const-cast)
    std::size_t left = in.size();
    char* to = out.data();
    std::size_t room = out.size();
    const bool failed = iconv(converter, &from, &left, &to, &room) == static_cast<std::size_t>(-1);
    out.resize(out.size() - room);
    return !failed;
}

// Unicode's composition of a kana with U+3099 (voiced) or U+309A (semi-voiced), as the input
// methods of macOS send them apart: the composed character, or 0. Katakana are hiragana 0x60 on.
char32_t composed(char32_t base, char32_t mark) {
    constexpr std::array<char32_t, 21> voiced = {
        0x304B, 0x304D, 0x304F, 0x3051, 0x3053, 0x3055, 0x3057, 0x3059, 0x305B, 0x305D, 0x305F,
        0x3061, 0x3064, 0x3066, 0x3068, 0x306F, 0x3072, 0x3075, 0x3078, 0x307B, 0x309D};
    const char32_t katakana = base >= 0x30A1 && base <= 0x30FE ? 0x60 : 0;
    const char32_t hiragana = base - katakana;
    const bool semi_voiced_too =
        hiragana >= 0x306F && hiragana <= 0x307B && (hiragana - 0x306F) % 3 == 0;
    if (mark == 0x3099 && hiragana == 0x3046) {
        return katakana != 0 ? 0x30F4 : 0x3094;  // ヴ, ゔ
    }
    if (mark == 0x3099 && std::find(voiced.begin(), voiced.end(), hiragana) != voiced.end()) {
        return base + 1;
    }
    return mark == 0x309A && semi_voiced_too ? base + 2 : 0;
}

}  // namespace

std::unique_ptr<ScreenCharacters> ScreenCharacters::open(const std::string& codeset) {
    std::array<iconv_t, 3> handles{iconv_open("UTF-32LE", codeset.c_str()),
                                   iconv_open("CP932", "UTF-32LE"),
                                   iconv_open(codeset.c_str(), "CP932")};
    // iconv_open tells failure by this one address.
    auto* const failed = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
    if (std::find(handles.begin(), handles.end(), failed) != handles.end()) {
        for (iconv_t handle : handles) {
            if (handle != failed) {
                iconv_close(handle);
            }
        }
        return nullptr;
    }
    return std::unique_ptr<ScreenCharacters>(
        new ScreenCharacters(handles[0], handles[1], handles[2]));
}

ScreenCharacters::~ScreenCharacters() {
    for (void* handle : {decoder_, to_story_, to_screen_}) {
        iconv_close(static_cast<iconv_t>(handle));
    }
}

std::string ScreenCharacters::as_the_story_holds(std::string_view character) {
    std::string unicode;
    std::string story;
    std::string screen;
    if (!convert(decoder_, character, unicode)) {
        return {};
    }
    if (unicode.size() == 8) {  // a character and a mark: one, if Unicode composes them
        const auto at = [&](std::size_t first) {
            char32_t point = 0;
            for (std::size_t byte = 4; byte-- > 0;) {
                point = point << 8U | static_cast<unsigned char>(unicode[first + byte]);
            }
            return point;
        };
        if (const char32_t one = composed(at(0), at(4)); one != 0) {
            unicode = {static_cast<char>(one & 0xFFU), static_cast<char>(one >> 8U & 0xFFU),
                       static_cast<char>(one >> 16U & 0xFFU), '\0'};
        }
    }
    if (!convert(to_story_, unicode, story) || !convert(to_screen_, story, screen)) {
        return {};
    }
    return screen;
}

// Decoded into room for exactly one character: what the decoder took is its length.
ScreenCharacters::Character ScreenCharacters::next(std::string_view bytes) {
    auto* const decoder = static_cast<iconv_t>(decoder_);
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);  // the line editor's codesets have no state
    std::array<unsigned char, 4> one{};
    char* in = const_cast<char*>(bytes.data());  // NOLINT(cppcoreguidelines-pro-type-const-cast)
    std::size_t in_left = bytes.size();
    char* out = reinterpret_cast<char*>(one.data());
    std::size_t room = one.size();
    const bool failed = iconv(decoder, &in, &in_left, &out, &room) == static_cast<std::size_t>(-1);
    if (room == 0) {
        const char32_t character = one[0] | (one[1] << 8U) | (one[2] << 16U) | (one[3] << 24U);
        return {bytes.size() - in_left, columns_of(character), false};
    }
    return {failed && errno == EINVAL ? 0 : std::size_t{1}, 1, true};
}

}  // namespace kurenagi
