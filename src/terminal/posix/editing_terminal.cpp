#include "terminal/posix/editing_terminal.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "terminal/codesets/iconv_converter.hpp"
#include "terminal/posix/descriptor_terminal.hpp"
#include "terminal/standard_terminal.hpp"

namespace kurenagi {
namespace {

// A terminal sends the bytes of one key together: an Esc that nothing follows for this long
// was pressed alone.
constexpr int escape_wait_ms = 100;

// What the signal handlers need, set before any of them is installed. There is one keyboard.
struct Taken {
    int fd = -1;
    termios own{};     // the terminal's mode before the game
    termios edited{};  // the mode while the editor has it
};
Taken taken;
std::array<int, 2> wake{-1, -1};  // a handler's note to the editor's wait
volatile std::sig_atomic_t resized = 0;
volatile std::sig_atomic_t continued = 0;

// Signals whose default ends the game: the terminal is given back first.
constexpr std::array ending_signals = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGABRT};

void note(volatile std::sig_atomic_t& flag) {
    const int saved = errno;
    flag = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wake[1], "!", 1);
    errno = saved;
}

extern "C" void on_end(int signal) {
    give_the_terminal_back();
    static_cast<void>(std::signal(signal, SIG_DFL));
    static_cast<void>(
        std::raise(signal));  // delivered, and ends the game, once this handler returns
}

void handle(int signal, void (*handler)(int));

// Ctrl-Z: the shell gets the terminal back as it was, and the game stops as it would have;
// after `fg` the editor takes the terminal again and draws its line anew.
extern "C" void on_stop(int signal) {
    const int saved = errno;
    give_the_terminal_back();
    static_cast<void>(std::signal(signal, SIG_DFL));
    sigset_t stop{};
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    static_cast<void>(std::raise(signal));
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // stops here until the game goes on
    handle(signal, on_stop);
    ::tcsetattr(taken.fd, TCSANOW, &taken.edited);
    errno = saved;
    note(continued);
}

extern "C" void on_resize(int /*signal*/) { note(resized); }

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// Only signals the game was started with at their defaults: an ignored one (nohup) stays so.
void handle_if_default(int signal, void (*handler)(int)) {
    struct sigaction now {};
    if (sigaction(signal, nullptr, &now) == 0 && now.sa_handler == SIG_DFL) {
        handle(signal, handler);
    }
}

void release_if(int signal, void (*handler)(int)) {
    struct sigaction now {};
    if (sigaction(signal, nullptr, &now) == 0 && now.sa_handler == handler) {
        handle(signal, SIG_DFL);
    }
}

// The codesets with shift states (ISO-2022-JP and its kin) spell characters with escape
// sequences.
bool has_shift_states(const std::string& codeset) {
    const auto screen = IconvConverter::open(codeset, "CP932");
    return screen == nullptr || (screen->convert("山"), !screen->unshift().empty());
}

// The keyboard's own terminal, for the echo: standard input, where it can be written to.
int echo_descriptor(bool& opened) {
    opened = false;
    const int access = ::fcntl(STDIN_FILENO, F_GETFL) & O_ACCMODE;
    if (access == O_RDWR || access == O_WRONLY) {
        return STDIN_FILENO;
    }
    const char* name = ::ttyname(STDIN_FILENO);
    const int fd = name == nullptr ? -1 : ::open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    opened = fd != -1;
    return fd;
}

}  // namespace

void give_the_terminal_back() {
    if (taken.fd != -1) {
        ::tcsetattr(taken.fd, TCSANOW, &taken.own);
    }
}

std::unique_ptr<EditingTerminal> EditingTerminal::open(std::unique_ptr<Terminal>& device,
                                                       const std::string& codeset,
                                                       bool story_on_screen) {
    termios mode{};
    if (::tcgetattr(STDIN_FILENO, &mode) != 0 || (mode.c_lflag & ICANON) == 0 ||
        has_shift_states(codeset)) {
        return nullptr;
    }
    auto characters = ScreenCharacters::open(codeset);
    if (!characters || ::pipe2(wake.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return nullptr;
    }
    return std::unique_ptr<EditingTerminal>(
        new EditingTerminal(std::move(device), std::move(characters), mode, story_on_screen));
}

EditingTerminal::EditingTerminal(std::unique_ptr<Terminal> device,
                                 std::unique_ptr<ScreenCharacters> characters, const termios& mode,
                                 bool story_on_screen)
    : device_(std::move(device)),
      characters_(std::move(characters)),
      editor_(*characters_, (mode.c_lflag & ECHO) != 0),
      story_on_screen_(story_on_screen),
      echo_fd_(echo_descriptor(own_echo_fd_)) {
    echo_ = std::make_unique<PosixTerminal>(STDIN_FILENO, echo_fd_);
    taken.fd = STDIN_FILENO;
    taken.own = mode;
    taken.edited = mode;
    taken.edited.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL);
    taken.edited.c_cc[VMIN] = 1;
    taken.edited.c_cc[VTIME] = 0;
    for (const int signal : ending_signals) {
        handle_if_default(signal, on_end);
    }
    handle_if_default(SIGTSTP, on_stop);
    handle_if_default(SIGWINCH, on_resize);
    take_cooked_keys();
    ::tcsetattr(STDIN_FILENO, TCSANOW, &taken.edited);
    editor_.set_columns(columns());
}

EditingTerminal::~EditingTerminal() {
    give_the_terminal_back();
    for (const int signal : ending_signals) {
        release_if(signal, on_end);
    }
    release_if(SIGTSTP, on_stop);
    release_if(SIGWINCH, on_resize);
    taken.fd = -1;
    for (int& fd : wake) {
        ::close(fd);
        fd = -1;
    }
    if (own_echo_fd_) {
        ::close(echo_fd_);
    }
}

// Keys typed before the game took the terminal, which it has cooked already: whole lines, and
// the Ctrl-D that handed over a line or ended the input, which the terminal keeps as no byte.
void EditingTerminal::take_cooked_keys() {
    pollfd ready{.fd = STDIN_FILENO, .events = POLLIN, .revents = 0};
    std::array<char, 4096> keys{};
    while (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN) != 0) {
        const ssize_t got = ::read(STDIN_FILENO, keys.data(), keys.size());
        if (got <= 0) {
            typed_ += got == 0 ? "\x04" : "";  // a terminal that hung up reads as ended again
            return;
        }
        typed_.append(keys.data(), static_cast<std::size_t>(got));
        if (keys.at(static_cast<std::size_t>(got) - 1) != '\n') {
            typed_ += '\x04';
        }
    }
}

std::size_t EditingTerminal::read(std::span<char> buffer) {
    if (line_.empty()) {
        const std::string line = next_line();
        if (line.empty()) {
            return 0;  // Ctrl-D on an empty line, or the terminal is gone
        }
        line_.add(line);
    }
    return line_.serve(buffer);
}

void EditingTerminal::write(std::string_view bytes) {
    if (story_on_screen_) {
        editor_.wrote(bytes);
    }
    device_->write(bytes);
}

void EditingTerminal::discard_typed_ahead() {
    ::tcflush(STDIN_FILENO, TCIFLUSH);
    typed_.clear();
    line_ = {};
}

// Keys typed ahead are edited, and echoed, only now that the story asks for a line.
std::string EditingTerminal::next_line() {
    for (;;) {
        std::string echo;
        typed_.erase(0, editor_.feed(typed_, echo));
        show(echo);
        if (editor_.has_line()) {
            return editor_.take_line();
        }
        if (!more_keys()) {
            return {};
        }
    }
}

// Waits for keys, for a handler's note, or for the end of an Esc's wait. False once the
// keyboard is gone.
bool EditingTerminal::more_keys() {
    std::array<pollfd, 2> ready{{{.fd = STDIN_FILENO, .events = POLLIN, .revents = 0},
                                 {.fd = wake[0], .events = POLLIN, .revents = 0}}};
    const int got =
        ::poll(ready.data(), ready.size(), editor_.after_escape() ? escape_wait_ms : -1);
    if (got == -1 && errno != EINTR) {
        throw TerminalFailed(std::string("cannot read standard input: ") + std::strerror(errno));
    }
    if (got == 0) {
        editor_.forget_escape();
    }
    if (ready[1].revents != 0) {
        std::array<char, 64> notes{};
        while (::read(wake[0], notes.data(), notes.size()) > 0) {
        }
        if (resized != 0) {
            resized = 0;
            show(editor_.resize(columns()));
        }
        if (continued != 0) {
            continued = 0;
            show(editor_.redraw());
        }
    }
    if (ready[0].revents != 0) {
        std::array<char, 4096> keys{};
        const std::size_t read = device_->read(keys);
        typed_.append(keys.data(), read);
        return read > 0;
    }
    return true;
}

void EditingTerminal::show(const std::string& echo) {
    if (!echo.empty() && echo_fd_ != -1) {
        echo_->write(echo);
    }
}

int EditingTerminal::columns() const {
    winsize size{};
    return echo_fd_ != -1 && ::ioctl(echo_fd_, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace kurenagi
