#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kurenagi {

// Code page 932 characters are one or two bytes. The length of the longest start of `bytes`
// that does not end on the first byte of a two-byte character.
std::size_t whole_cp932_length(std::string_view bytes);

// The length of the longest start of `text` that does not end inside a surrogate pair.
std::size_t whole_utf16_length(std::u16string_view text);

// Code page 932 has no character outside the Basic Multilingual Plane. Windows would make
// two "?" of a surrogate pair; it is one character, so it becomes one "?", as on Linux.
std::u16string pairs_as_one_refusal(std::u16string_view text);

}  // namespace kurenagi
