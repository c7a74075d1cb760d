// The page's stack: the page itself, which minds the screen and the keys, and nothing around it.

#include "terminal/standard_terminal.hpp"
#include "terminal/web/page_terminal.hpp"

namespace kurenagi {

std::unique_ptr<Terminal> open_standard_terminal() { return open_page_terminal(); }

// The page starts the game with no arguments: nothing ever asks for a message.
std::unique_ptr<Terminal> open_message_output() { return open_page_terminal(); }

std::unique_ptr<Terminal> open_error_output() { return open_page_terminal(); }

bool messages_in_japanese() { return true; }

void give_the_terminal_back() {}

}  // namespace kurenagi
