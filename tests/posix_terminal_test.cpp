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

// SIGALRM every 5 ms, its handler installed without SA_RESTART, so that a read or write that
// waits returns EINTR.
class Interruptions {
public:
    Interruptions() {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigaction(SIGALRM, &action, &previous_);
        const itimerval every{{0, 5000}, {0, 5000}};
        setitimer(ITIMER_REAL, &every, nullptr);
    }
    ~Interruptions() {
        const itimerval stop{};
        setitimer(ITIMER_REAL, &stop, nullptr);
        sigaction(SIGALRM, &previous_, nullptr);
    }
    Interruptions(const Interruptions&) = delete;
    Interruptions& operator=(const Interruptions&) = delete;

private:
    struct sigaction previous_ {};
};

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
    Interruptions interruptions;
    terminal.write(text);
    std::array<char, 8> typed{};
    EXPECT_EQ(terminal.read(typed), 2U);
    player.join();
    EXPECT_EQ(shown, text);
    for (const int fd : {screen[0], screen[1], keys[0], keys[1]}) {
        close(fd);
    }
}

}  // namespace
}  // namespace kurenagi::testing
