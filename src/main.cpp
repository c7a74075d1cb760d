#include <cstdio>
#include <cstdlib>
#include <new>

#include "command_line.hpp"
#include "story/driver.hpp"
#include "terminal/standard_terminal.hpp"

namespace {

// Memory that runs out is said at once, where it runs out: a std::bad_alloc thrown from
// there could itself find no memory, and would end the run in std::terminate.
[[noreturn]] void out_of_memory() {
    kurenagi::give_the_terminal_back();
    // Nothing more can be done if even standard error is gone.
    static_cast<void>(std::fputs("kurenagi: out of memory\n", stderr));
    std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::set_new_handler(out_of_memory);
    const auto command_line = kurenagi::command_line_of({argv, static_cast<std::size_t>(argc)});
    switch (command_line.request) {
        case kurenagi::Request::play:
            break;
        case kurenagi::Request::refused:
            return kurenagi::refuse(command_line, kurenagi::messages_in_japanese(),
                                    *kurenagi::open_error_output());
        default:
            return kurenagi::answer(command_line.request, kurenagi::messages_in_japanese(),
                                    *kurenagi::open_message_output());
    }
    const auto terminal = kurenagi::open_standard_terminal();
    return kurenagi::play(*terminal);
}
