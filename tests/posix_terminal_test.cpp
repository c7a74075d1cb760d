// The POSIX device on pipes of its own, where a signal handler interrupts its waits: the
// game installs none, but whoever embeds the terminal may, and no key or line may be lost.

#include "terminal/posix_terminal.hpp"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <array>
#include <csignal>
#include <string>
#include <thread>

namespace kurenagi::testing {
namespace {

// SIGALRM every 5 ms (or never again), its handler installed without SA_RESTART, so that a
// read or write that waits returns EINTR.
void interrupt_every(suseconds_t microseconds) {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigaction(SIGALRM, &action, nullptr);
    const itimerval every{{0, microseconds}, {0, microseconds}};
    setitimer(ITIMER_REAL, &every, nullptr);
}

TEST(PosixTerminal, InterruptedWaitsGoOn) {
    std::array<int, 2> screen{};
    std::array<int, 2> keys{};
    ASSERT_EQ(pipe(screen.data()), 0);
    ASSERT_EQ(pipe(keys.data()), 0);
    PosixTerminal terminal(keys[0], screen[1]);
    const std::string text(1 << 20, 'x');  // far more than a pipe holds
    std::string shown;
    std::thread player([&] {
        usleep(50000);
        std::array<char, 4096> buffer{};
        for (ssize_t got; shown.size() < text.size() &&
                          (got = read(screen[0], buffer.data(), buffer.size())) > 0;) {
            shown.append(buffer.data(), static_cast<std::size_t>(got));
        }
        usleep(50000);
        EXPECT_EQ(write(keys[1], "1\n", 2), 2);
    });
    interrupt_every(5000);
    terminal.write(text);
    std::array<char, 8> typed{};
    EXPECT_EQ(terminal.read(typed), 2U);
    interrupt_every(0);
    player.join();
    EXPECT_EQ(shown, text);
    for (const int fd : {screen[0], screen[1], keys[0], keys[1]}) {
        close(fd);
    }
}

}  // namespace
}  // namespace kurenagi::testing
