// The Windows stack, put together once at the start: the standard handles, and the closing
// manners where one of them is a console.

#include <windows.h>

#include <array>

#include "terminal/closing/closing_terminal.hpp"
#include "terminal/standard_terminal.hpp"
#include "terminal/windows/handle_terminal.hpp"

namespace kurenagi {
namespace {

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

// Explorer starts the game in a console of its own, which closes with it (a file dragged onto
// kurenagi.exe, say); a shell shares its console with it.
bool alone_in_console() {
    std::array<DWORD, 2> attached{};
    return GetConsoleProcessList(attached.data(), attached.size()) == 1;
}

}  // namespace

// A console gets Unicode; a pipe or a file gets code page 932, the code page of Japanese
// Windows.
std::unique_ptr<Terminal> open_message_output() {
    return open_standard_handles(false, is_console(GetStdHandle(STD_OUTPUT_HANDLE)));
}

std::unique_ptr<Terminal> open_error_output() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const bool keyboard = is_console(input);
    const bool screen = is_console(GetStdHandle(STD_ERROR_HANDLE));
    const bool window = keyboard && screen && alone_in_console();
    return closing_after_a_message(open_standard_handles(keyboard, screen, STD_ERROR_HANDLE),
                                   window, [input] { FlushConsoleInputBuffer(input); });
}

// A console's mode is never changed.
void give_the_terminal_back() {}

bool messages_in_japanese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

// Pipes and files get the story's own bytes and nothing more, ever.
std::unique_ptr<Terminal> open_standard_terminal() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const bool keyboard = is_console(input);
    const bool screen = is_console(GetStdHandle(STD_OUTPUT_HANDLE));
    auto terminal = open_standard_handles(keyboard, screen);
    if (!keyboard && !screen) {
        return terminal;
    }
    Closing closing{
        .end_the_line = screen,
        .keep_the_window = screen && keyboard && alone_in_console(),
        .discard_typed_ahead = {},
        .after_a_message = false,
    };
    if (keyboard) {
        closing.discard_typed_ahead = [input] { FlushConsoleInputBuffer(input); };
    }
    return closing_terminal(std::move(terminal), std::move(closing));
}

}  // namespace kurenagi
