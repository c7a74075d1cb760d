// The POSIX stack, put together once at the start: which wrappers a run gets around the
// descriptors depends on whether they lead to a terminal and on the player's locale. Bytes pass
// device -> line editor -> codeset conversion -> closing manners -> console, and back.

#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

#include "terminal/closing/closing_terminal.hpp"
#include "terminal/codesets/converting_terminal.hpp"
#include "terminal/codesets/locale_names.hpp"
#include "terminal/codesets/visible_controls.hpp"
#include "terminal/posix/descriptor_terminal.hpp"
#include "terminal/posix/editing_terminal.hpp"
#include "terminal/posix/keyboard_mode.hpp"
#include "terminal/standard_terminal.hpp"

namespace kurenagi {
namespace {

// The codeset the C library reports for the player's locale, or null if it is not installed.
const char* installed_codeset() {
    return std::setlocale(LC_CTYPE, "") == nullptr ? nullptr : ::nl_langinfo(CODESET);
}

// What the player's terminal speaks, by the locale: its codeset, and the conversion to it
// from the story's code page, none where that is code page 932 itself.
struct LocaleConversion {
    std::string codeset;
    std::optional<Conversion> conversion;
};

LocaleConversion locale_conversion() {
    const std::string_view name =
        locale_name(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
    const std::string codeset = terminal_codeset(name, installed_codeset());
    if (!is_code_page_932(codeset)) {
        for (const std::string& choice : screen_codesets(codeset)) {
            if (auto conversion = conversion_for(choice)) {
                return {choice, std::move(conversion)};
            }
        }
    }
    return {"CP932", std::nullopt};
}

std::unique_ptr<Terminal> converted(LocaleConversion locale, std::unique_ptr<Terminal> device) {
    if (!locale.conversion) {
        return device;
    }
    return converting_terminal(std::move(*locale.conversion), std::move(device));
}

}  // namespace

std::unique_ptr<Terminal> open_message_output() {
    return converted(locale_conversion(), std::make_unique<DescriptorTerminal>());
}

std::unique_ptr<Terminal> open_error_output() {
    auto device = converted(locale_conversion(),
                            std::make_unique<DescriptorTerminal>(STDIN_FILENO, STDERR_FILENO));
    // A desktop entry that hands the game a file starts it as the leader of the terminal's
    // session, in a window that would close before the message could be read.
    const bool window = ::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0 &&
                        ::tcgetsid(STDIN_FILENO) == ::getpid();
    return closing_after_a_message(std::move(device), window,
                                   [] { ::tcflush(STDIN_FILENO, TCIFLUSH); });
}

bool messages_in_japanese() {
    return is_japanese(
        locale_name(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
}

// Pipes and files get the story's own bytes, whatever the locale, and nothing more, ever; keys
// from a terminal are read in the locale's encoding, and edited there, wherever the story goes.
std::unique_ptr<Terminal> open_standard_terminal() {
#ifdef __EMSCRIPTEN__
    // Under node the game meets only the pipes and files of its tests; emscripten's C library
    // takes them for terminals, but cannot ask a terminal anything.
    const bool screen = false;
    const bool keyboard = false;
#else
    const bool screen = ::isatty(STDOUT_FILENO) != 0;
    const bool keyboard = ::isatty(STDIN_FILENO) != 0;
#endif
    std::unique_ptr<Terminal> device = std::make_unique<DescriptorTerminal>();
    if (!screen && !keyboard) {
        return device;
    }
    LocaleConversion locale = locale_conversion();
    EditingTerminal* editor = nullptr;
    if (keyboard) {
        if (auto editing = EditingTerminal::open(device, locale.codeset, screen)) {
            editor = editing.get();
            device = std::move(editing);
        }
    }
    if (locale.conversion) {
        if (!screen) {
            locale.conversion->to_screen.reset();
        }
        if (!keyboard) {
            locale.conversion->from_keyboard.reset();
        }
    }
    device = converted(std::move(locale), std::move(device));
    if (screen) {
        device = showing_controls(std::move(device));
    }
    Closing closing{
        .end_the_line = screen,
        // A terminal emulator or a desktop entry starts the game as the leader of the
        // terminal's session; a shell starts it as one of its own.
        .keep_the_window = screen && keyboard && ::tcgetsid(STDIN_FILENO) == ::getpid(),
        .discard_typed_ahead = {},
        .after_a_message = false,
    };
    if (editor != nullptr) {
        closing.discard_typed_ahead = [editor] { editor->discard_typed_ahead(); };
    } else if (keyboard) {
        closing.discard_typed_ahead = [] { ::tcflush(STDIN_FILENO, TCIFLUSH); };
    }
    return closing_terminal(std::move(device), std::move(closing));
}

void give_the_terminal_back() { restore_keyboard_mode(); }

}  // namespace kurenagi
