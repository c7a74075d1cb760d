#pragma once

#include <memory>
#include <optional>
#include <string>

#include "terminal/codesets/iconv_converter.hpp"
#include "terminal/terminal.hpp"

namespace kurenagi {

// Both ways between code page 932 and the codeset a terminal speaks. A way left empty passes
// the bytes as they are: a story that goes to a pipe or a file, or keys that come from one.
struct Conversion {
    std::unique_ptr<IconvConverter> to_screen;
    std::unique_ptr<IconvConverter> from_keyboard;
};

// Nothing if the C library cannot convert between code page 932 and `codeset`, either way, or
// if `codeset` spells the line feed, the space, the digits or another printable ASCII character
// otherwise than ASCII does (UTF-16, UTF-7, EBCDIC): no terminal in use speaks such a codeset.
std::optional<Conversion> conversion_for(const std::string& codeset);

// Puts a device behind a code page 932 console: what the story writes is converted on its
// way out, and what the player types is converted to code page 932 before any read sees it,
// so that a word's length is counted as the story counts it. Owns the device.
std::unique_ptr<Terminal> converting_terminal(Conversion conversion,
                                              std::unique_ptr<Terminal> device);

}  // namespace kurenagi
