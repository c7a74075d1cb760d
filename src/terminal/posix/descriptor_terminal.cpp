#include "terminal/posix/descriptor_terminal.hpp"

#include <langinfo.h>
#include <poll.h>
#include <termios.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "terminal/closing/closing_terminal.hpp"
#include "terminal/codesets/converting_terminal.hpp"
#include "terminal/codesets/locale_names.hpp"
#include "terminal/posix/editing_terminal.hpp"
#include "terminal/standard_terminal.hpp"

namespace kurenagi {
namespace {

// A descriptor left non-blocking by whoever started the game has nothing ready yet. (Where
// EWOULDBLOCK is a number of its own, only sockets give it, and no player types into one.)
bool would_block(int error) { return error == EAGAIN; }

std::string failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Sleeps, for as long as it takes (a negative timeout), until the descriptor is ready or a
// signal came; the read or write that follows tells what it found, and waits again if need be.
// A wait that cannot be made is a failure like the read or write it waits for: trying again
// at once would spin without end.
void wait_for(int fd, short events, const char* what) {
    pollfd ready{.fd = fd, .events = events, .revents = {}};
    if (::poll(&ready, 1, -1) == -1 && errno != EINTR) {
        throw TerminalFailed(failure(what));
    }
}

}  // namespace

std::size_t PosixTerminal::read(std::span<char> buffer) {
    static constexpr const char* cannot = "cannot read standard input";
    while (!hung_up_) {
        const ssize_t got = ::read(input_, buffer.data(), buffer.size());
        if (got != -1) {
            return static_cast<std::size_t>(got);
        }
        if (errno == EIO) {
            hung_up_ = true;
        } else if (would_block(errno)) {
            wait_for(input_, POLLIN, cannot);
        } else if (errno != EINTR) {
            throw TerminalFailed(failure(cannot));
        }
    }
    return 0;
}

void PosixTerminal::write(std::string_view bytes) {
    static constexpr const char* cannot = "cannot write to standard output";
    while (!bytes.empty() && !(hung_up_ && screen_)) {
        const ssize_t put = ::write(output_, bytes.data(), bytes.size());
        if (put != -1) {
            bytes.remove_prefix(static_cast<std::size_t>(put));
        } else if (screen_ && errno == EIO) {
            hung_up_ = true;
        } else if (would_block(errno)) {
            wait_for(output_, POLLOUT, cannot);
        } else if (errno != EINTR) {
            throw TerminalFailed(failure(cannot));
        }
    }
}

// A complaint is one short line, put together in place and written with one call, so that it
// reaches standard error in one piece. snprintf is also the game's one call that the C
// library's fortification checks, and packagers' hardening checks look for one.
void PosixTerminal::complain(std::string_view message) {
    std::array<char, 512> line{};
    // A message too long for the line is cut short; nothing else can go wrong here.
    static_cast<void>(std::snprintf(line.data(), line.size(), "kurenagi: %.*s\n",
                                    static_cast<int>(message.size()), message.data()));
    const std::string_view text(line.data());
    // Nothing more can be done if even standard error is gone.
    [[maybe_unused]] const ssize_t ignored = ::write(errors_, text.data(), text.size());
}

namespace {

// The codeset the C library reports for the player's locale, or null if it is not installed.
const char* installed_codeset() {
    return std::setlocale(LC_CTYPE, "") == nullptr ? nullptr : ::nl_langinfo(CODESET);
}

// What the player's terminal speaks, by the locale: its codeset, and the conversion to it
// from the story's code page, none where that is code page 932 itself.
struct Speech {
    std::string codeset;
    std::optional<Conversion> conversion;
};

Speech terminal_speech() {
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

std::unique_ptr<Terminal> spoken(Speech speech, std::unique_ptr<Terminal> device) {
    if (!speech.conversion) {
        return device;
    }
    return speak(std::move(*speech.conversion), std::move(device));
}

}  // namespace

std::unique_ptr<Terminal> open_message_output() {
    return spoken(terminal_speech(), std::make_unique<PosixTerminal>());
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
    std::unique_ptr<Terminal> device = std::make_unique<PosixTerminal>();
    if (!screen && !keyboard) {
        return device;
    }
    Speech speech = terminal_speech();
    EditingTerminal* editor = nullptr;
    if (keyboard) {
        if (auto editing = EditingTerminal::open(device, speech.codeset, screen)) {
            editor = editing.get();
            device = std::move(editing);
        }
    }
    if (speech.conversion) {
        if (!screen) {
            speech.conversion->to_screen.reset();
        }
        if (!keyboard) {
            speech.conversion->from_keyboard.reset();
        }
    }
    device = spoken(std::move(speech), std::move(device));
    Closing closing{
        .end_the_line = screen,
        // A terminal emulator or a desktop entry starts the game as the leader of the
        // terminal's session; a shell starts it as one of its own.
        .keep_the_window = screen && keyboard && ::tcgetsid(STDIN_FILENO) == ::getpid(),
        .discard_typed_ahead = {},
    };
    if (editor != nullptr) {
        closing.discard_typed_ahead = [editor] { editor->discard_typed_ahead(); };
    } else if (keyboard) {
        closing.discard_typed_ahead = [] { ::tcflush(STDIN_FILENO, TCIFLUSH); };
    }
    return closing_terminal(std::move(device), std::move(closing));
}

}  // namespace kurenagi
