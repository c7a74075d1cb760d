#include "terminal/posix/keyboard_mode.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace kurenagi {
namespace {

// What the signal handlers need, set before any of them is installed. There is one keyboard.
struct Taken {
    int fd = -1;
    termios own{};     // the terminal's mode before the game
    termios edited{};  // the mode while the editor has it
    int wake = -1;     // where a handler leaves its note for the editor's wait
    int echo = -1;     // where the line is echoed, and left when the game stops
    std::array<char, 64> leave{};
    std::size_t leave_length = 0;
};
Taken taken;
volatile std::sig_atomic_t resized = 0;
volatile std::sig_atomic_t continued = 0;

// Every signal whose default ends the game: the terminal is given back first. (A fault the
// game itself made, SIGSEGV say, is made again once the handler returns, and then ends it.)
constexpr std::array ending_signals = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGSEGV, SIGPIPE,
    SIGALRM, SIGTERM, SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS};

void note(volatile std::sig_atomic_t& flag) {
    const int saved = errno;
    flag = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(taken.wake, "!", 1);
    errno = saved;
}

extern "C" void on_end(int signal) {
    restore_keyboard_mode();
    static_cast<void>(std::signal(signal, SIG_DFL));
    static_cast<void>(
        std::raise(signal));  // delivered, and ends the game, once this handler returns
}

void handle(int signal, void (*handler)(int));

// Ctrl-Z, or a read or a mode change from the background: the shell gets the terminal back as
// it was, below the line, and the game stops as it would have; once it is in the foreground
// again (`fg`), the editor takes the terminal again and draws its line anew.
extern "C" void on_stop(int signal) {
    const int saved = errno;
    if (taken.echo != -1 && taken.leave_length > 0) {
        [[maybe_unused]] const ssize_t ignored =
            ::write(taken.echo, taken.leave.data(), taken.leave_length);
    }
    restore_keyboard_mode();
    static_cast<void>(std::signal(signal, SIG_DFL));
    sigset_t stop{};
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    static_cast<void>(std::raise(signal));
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // stops here until the game goes on
    handle(signal, on_stop);
    if (::tcgetpgrp(taken.fd) == ::getpgrp()) {  // in the background, it stops again at a read
        ::tcsetattr(taken.fd, TCSANOW, &taken.edited);
        note(continued);
    }
    errno = saved;
}

extern "C" void on_resize(int /*signal*/) { note(resized); }

// The stops wait for each other's handler: a mode set from the background is then let be.
constexpr std::array stop_signals = {SIGTSTP, SIGTTIN, SIGTTOU};

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int stop : stop_signals) {
        sigaddset(&action.sa_mask, stop);
    }
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

// Whatever the terminal has cooked already: each read gives at most one line, and one that
// does not end with a line feed was handed over by Ctrl-D.
std::string cooked_keys(int fd) {
    std::string typed;
    pollfd ready{.fd = fd, .events = POLLIN, .revents = 0};
    std::array<char, 4096> keys{};
    while (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN) != 0) {
        const ssize_t got = ::read(fd, keys.data(), keys.size());
        if (got <= 0) {
            typed += got == 0 ? "\x04" : "";  // a terminal that hung up reads as ended again
            break;
        }
        typed.append(keys.data(), static_cast<std::size_t>(got));
        if (keys.at(static_cast<std::size_t>(got) - 1) != '\n') {
            typed += '\x04';
        }
    }
    return typed;
}

}  // namespace

void restore_keyboard_mode() {
    if (taken.fd != -1) {
        ::tcsetattr(taken.fd, TCSANOW, &taken.own);
    }
}

std::unique_ptr<KeyboardMode> KeyboardMode::take(int fd, const termios& own) {
    std::array<int, 2> wake{-1, -1};
    if (::pipe2(wake.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return nullptr;
    }
    return std::unique_ptr<KeyboardMode>(new KeyboardMode(fd, own, wake));
}

KeyboardMode::KeyboardMode(int fd, const termios& own, std::array<int, 2> wake) : wake_(wake) {
    taken.fd = fd;
    taken.own = own;
    taken.edited = own;
    taken.edited.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL);
    taken.edited.c_cc[VMIN] = 1;
    taken.edited.c_cc[VTIME] = 0;
    taken.wake = wake_[1];
    for (const int signal : ending_signals) {
        handle_if_default(signal, on_end);
    }
    for (const int signal : stop_signals) {
        handle_if_default(signal, on_stop);
    }
    handle_if_default(SIGWINCH, on_resize);
    typed_before_ = cooked_keys(fd);
    ::tcsetattr(fd, TCSANOW, &taken.edited);
}

KeyboardMode::~KeyboardMode() {
    restore_keyboard_mode();
    for (const int signal : ending_signals) {
        release_if(signal, on_end);
    }
    for (const int signal : stop_signals) {
        release_if(signal, on_stop);
    }
    release_if(SIGWINCH, on_resize);
    taken.fd = -1;
    taken.echo = -1;
    taken.wake = -1;
    for (const int fd : wake_) {
        ::close(fd);
    }
}

// Changed with the stops held back, so that a handler never writes half of it.
void KeyboardMode::when_stopped(int echo_fd, std::string_view leave) {
    sigset_t stops{};
    sigset_t before{};
    sigemptyset(&stops);
    for (const int signal : stop_signals) {
        sigaddset(&stops, signal);
    }
    sigprocmask(SIG_BLOCK, &stops, &before);
    taken.echo = echo_fd;
    taken.leave_length =
        leave.copy(taken.leave.data(), leave.size() <= taken.leave.size() ? leave.size() : 0);
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

KeyboardMode::Notes KeyboardMode::take_notes() {
    std::array<char, 64> notes{};
    while (::read(wake_[0], notes.data(), notes.size()) > 0) {
    }
    const Notes seen{.resized = resized != 0, .continued = continued != 0};
    resized = 0;
    continued = 0;
    return seen;
}

}  // namespace kurenagi
