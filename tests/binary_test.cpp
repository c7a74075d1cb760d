// The built game driven through pipes, as a script or another program would drive it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <thread>

#include "hostile_keys.hpp"
#include "memory_terminal.hpp"
#include "script_texts.hpp"

namespace kurenagi::testing {
namespace {

struct GameRun {
    std::string output;
    std::string errors;
    int status = -1;  // the exit status, or 128 and the signal that ended the game
};

enum class Screen { pipe, full_disk, closed_pipe };

std::string read_all(int fd) {
    std::string all;
    std::array<char, 4096> buffer{};
    for (ssize_t got; (got = read(fd, buffer.data(), buffer.size())) > 0;) {
        all.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return all;
}

// Runs the game with `input` piped into it; its standard output goes to `screen`.
GameRun run_game(const std::string& input, Screen screen = Screen::pipe, const char* locale = "C") {
    std::array<int, 2> to_game{};
    std::array<int, 2> from_game{};
    FILE* errors = tmpfile();
    if (pipe(to_game.data()) != 0 || pipe(from_game.data()) != 0 || errors == nullptr) {
        ADD_FAILURE() << "no pipes";
        return {};
    }
    if (screen == Screen::closed_pipe) {
        close(from_game[0]);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = screen == Screen::full_disk ? open("/dev/full", O_WRONLY) : from_game[1];
        dup2(to_game[0], STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(fileno(errors), STDERR_FILENO);
        close(to_game[1]);
        setenv("LC_ALL", locale, 1);
        (void)signal(SIGPIPE, SIG_DFL);
        execl(KURENAGI_BINARY, KURENAGI_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(to_game[0]);
    close(from_game[1]);
    std::thread feeder([&] {
        // The game may end before it has read everything; the rest is simply not wanted.
        std::string_view rest = input;
        while (!rest.empty()) {
            const ssize_t put = write(to_game[1], rest.data(), rest.size());
            if (put <= 0) {
                break;
            }
            rest.remove_prefix(static_cast<std::size_t>(put));
        }
        close(to_game[1]);
    });
    GameRun run;
    if (screen != Screen::closed_pipe) {
        run.output = read_all(from_game[0]);
        close(from_game[0]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    feeder.join();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    (void)fseek(errors, 0, SEEK_SET);
    run.errors = read_all(fileno(errors));
    (void)fclose(errors);
    return run;
}

TEST(Binary, PipedScriptsGiveTheInProcessBytesAndExitZero) {
    const std::vector<std::string> scripts = {
        full_playthrough,
        full_playthrough.substr(0, full_playthrough.size() - 1),  // the last key never comes
        "",
        "x\n",
        "\n58203\n\n\n",
        "\nabc\n",
        "\n1\n山田 太郎\n1\n私\n1\n" + arrival_keys + "\n1\n" + desk_keys + "\n3\n",
        "\n1\n" + std::string(100000, '9') + "\n" + std::string(100000, 'x') + "\n",
        std::string("\n\0\n1\n", 5),
    };
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.substr(0, 30));
        const GameRun run = run_game(script);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.output, play_on(script));
        EXPECT_EQ(run.errors, "");
    }
}

TEST(Binary, HostileInputEndsWellAsInProcess) {
    std::mt19937 random(6122026);
    for (int run = 0; run < 60; ++run) {
        const std::string keys = hostile_keys(random);
        SCOPED_TRACE(run);
        const GameRun game = run_game(keys);
        EXPECT_EQ(game.status, 0);
        EXPECT_EQ(game.output, play_on(keys));
    }
}

TEST(Binary, FullPlaythroughEndsWithTheClosingLines) {
    const GameRun run = run_game(full_playthrough);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.output.ends_with(closing_lines));
}

TEST(Binary, PipeGetsCodePage932EvenInAUtf8Locale) {
    const GameRun run = run_game(full_playthrough, Screen::pipe, "C.UTF-8");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, play_on(full_playthrough));
}

TEST(Binary, LostOutputIsNeverASuccess) {
    const GameRun full = run_game(full_playthrough, Screen::full_disk);
    EXPECT_NE(full.status, 0);
    EXPECT_EQ(full.errors, "kurenagi: cannot write to standard output: No space left on device\n");

    const GameRun closed = run_game(full_playthrough, Screen::closed_pipe);
    EXPECT_EQ(closed.status, 128 + SIGPIPE);
}

}  // namespace
}  // namespace kurenagi::testing
