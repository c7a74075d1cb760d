#pragma once

#include <memory>

#include "terminal/terminal.hpp"

namespace kurenagi {

// The page's side of the console (web/page.js). It decodes code page 932 for the screen and
// encodes what the player types; a read waits for the player without holding up the page.
// When the run is over the page says so and offers a fresh run.
std::unique_ptr<Terminal> open_page_terminal();

}  // namespace kurenagi
