#pragma once

#include <memory>

#include "console/terminal.hpp"

namespace kurenagi {

// Puts a UTF-8 device behind a code page 932 console: what the story writes is converted to
// UTF-8 on its way out, and what the player types is converted to code page 932 before any
// read sees it, so that a word's length is counted as the story counts it. A character that
// has no form on the other side, or a broken one, becomes "?".
// Returns the device unchanged if the C library cannot convert between the two.
std::unique_ptr<Terminal> speak_utf8(std::unique_ptr<Terminal> device);

}  // namespace kurenagi
