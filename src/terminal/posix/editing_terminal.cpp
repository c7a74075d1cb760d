#include "terminal/posix/editing_terminal.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "terminal/codesets/iconv_converter.hpp"
#include "terminal/posix/descriptor_terminal.hpp"

namespace kurenagi {
namespace {

// A terminal sends the bytes of one key together: an Esc that nothing follows for this long
// was pressed alone.
constexpr int escape_wait_ms = 100;

// A terminal answers where its cursor is at once; one that has not in this long never will.
constexpr int report_wait_ms = 300;

// A terminal that says it is dumb is never asked where its cursor is.
bool answers_reports() {
    const char* term = std::getenv("TERM");
    return term == nullptr || std::string_view(term) != "dumb";
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

std::unique_ptr<EditingTerminal> EditingTerminal::open(std::unique_ptr<Terminal>& device,
                                                       const std::string& codeset,
                                                       bool story_on_screen) {
    termios mode{};
    if (::tcgetattr(STDIN_FILENO, &mode) != 0 || (mode.c_lflag & ICANON) == 0 ||
        has_shift_states(codeset)) {
        return nullptr;
    }
    auto characters = ScreenCharacters::open(codeset);
    if (!characters) {
        return nullptr;
    }
    auto taken = KeyboardMode::take(STDIN_FILENO, mode);
    if (!taken) {
        return nullptr;
    }
    return std::unique_ptr<EditingTerminal>(
        new EditingTerminal(std::move(device), std::move(characters), std::move(taken),
                            (mode.c_lflag & ECHO) != 0, story_on_screen));
}

EditingTerminal::EditingTerminal(std::unique_ptr<Terminal> device,
                                 std::unique_ptr<ScreenCharacters> characters,
                                 std::unique_ptr<KeyboardMode> mode, bool echo,
                                 bool story_on_screen)
    : device_(std::move(device)),
      characters_(std::move(characters)),
      mode_(std::move(mode)),
      editor_(*characters_, echo),
      story_on_screen_(story_on_screen),
      echo_fd_(echo_descriptor(own_echo_fd_)),
      echo_(std::make_unique<DescriptorTerminal>(STDIN_FILENO, echo_fd_)),
      typed_(mode_->typed_before()),
      reports_(answers_reports()) {
    editor_.set_columns(columns());
}

EditingTerminal::~EditingTerminal() {
    if (own_echo_fd_) {
        ::close(echo_fd_);
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
                                 {.fd = mode_->wake_descriptor(), .events = POLLIN, .revents = 0}}};
    const int wait = editor_.awaits_report()  ? report_wait_ms
                     : editor_.after_escape() ? escape_wait_ms
                                              : -1;
    const int got = ::poll(ready.data(), ready.size(), wait);
    if (got == -1 && errno != EINTR) {
        throw TerminalFailed(std::string("cannot read standard input: ") + std::strerror(errno));
    }
    if (got == 0) {
        show(editor_.awaits_report() ? editor_.report_missing() : editor_.escape_alone());
    }
    if (ready[1].revents != 0) {
        const auto notes = mode_->take_notes();
        if (notes.resized) {
            show(editor_.resize(columns(), reports_));
        }
        if (notes.continued) {
            editor_.set_columns(columns());  // which may have changed while it was stopped
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
        KeyboardMode::when_stopped(echo_fd_, editor_.leave());
    }
}

int EditingTerminal::columns() const {
    winsize size{};
    return echo_fd_ != -1 && ::ioctl(echo_fd_, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace kurenagi
