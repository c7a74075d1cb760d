#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <string>

#include "console/standard_terminal.hpp"
#include "console/utf8_terminal.hpp"

namespace kurenagi {
namespace {

// Standard input and output as they are: code page 932 bytes pass unchanged.
class PosixTerminal : public Terminal {
public:
    std::size_t read(std::span<char> buffer) override {
        for (;;) {
            const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            // A read error (a hung-up terminal, say) leaves nothing more to read.
            if (errno != EINTR) {
                return 0;
            }
        }
    }

    void write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t put = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                throw OutputFailed(std::string("cannot write to standard output: ") +
                                   std::strerror(errno));
            }
            bytes.remove_prefix(static_cast<std::size_t>(put));
        }
    }

    void complain(std::string_view message) override {
        std::string line = "kurenagi: ";
        line += message;
        line += '\n';
        // Nothing more can be done if even standard error is gone.
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
    }
};

// A player at a terminal whose locale speaks UTF-8 could not read code page 932. Pipes and
// files get the story's own bytes, whatever the locale.
bool screen_speaks_utf8() {
    if (::isatty(STDOUT_FILENO) == 0 || std::setlocale(LC_CTYPE, "") == nullptr) {
        return false;
    }
    return std::string_view(::nl_langinfo(CODESET)) == "UTF-8";
}

}  // namespace

std::unique_ptr<Terminal> open_standard_terminal() {
    std::unique_ptr<Terminal> terminal = std::make_unique<PosixTerminal>();
    if (screen_speaks_utf8()) {
        terminal = speak_utf8(std::move(terminal));
    }
    return terminal;
}

}  // namespace kurenagi
