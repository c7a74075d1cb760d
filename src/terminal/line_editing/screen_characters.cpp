#include "terminal/line_editing/screen_characters.hpp"

#include <iconv.h>

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

}  // namespace

std::unique_ptr<ScreenCharacters> ScreenCharacters::open(const std::string& codeset) {
    iconv_t decoder = iconv_open("UTF-32LE", codeset.c_str());
    // iconv_open tells failure by this one address.
    if (decoder == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
        return nullptr;
    }
    return std::unique_ptr<ScreenCharacters>(new ScreenCharacters(decoder));
}

ScreenCharacters::~ScreenCharacters() { iconv_close(static_cast<iconv_t>(decoder_)); }

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
