#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kurenagi {

// A word the player typed: up to 9 bytes of code page 932 text and a closing zero byte,
// so at most four full-width characters and one half-width one.
inline constexpr std::size_t text_field_size = 10;
using TextField = std::array<char, text_field_size>;

inline std::string_view text_of(const TextField& field) {
    return {field.data(), ::strnlen(field.data(), field.size())};
}

}  // namespace kurenagi
