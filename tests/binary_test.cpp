// The built game driven through pipes, as a script or another program would drive it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "memory_terminal.hpp"
#include "script_texts.hpp"

namespace kurenagi::testing {
namespace {

struct GameRun {
    std::string output;
    int status = -1;
};

// Runs the game with `input` piped into it and its standard output read from a pipe.
GameRun run_game(const std::string& input) {
    int to_game[2];
    int from_game[2];
    if (pipe(to_game) != 0 || pipe(from_game) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(to_game[0], STDIN_FILENO);
        dup2(from_game[1], STDOUT_FILENO);
        for (int fd : {to_game[0], to_game[1], from_game[0], from_game[1]}) {
            close(fd);
        }
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
    char buffer[4096];
    for (ssize_t got; (got = read(from_game[0], buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(from_game[0]);
    feeder.join();
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

const std::string full_playthrough =
    "\n1\n山田 太郎\n1\n私\n1\n" + arrival_keys + "\n1\n" + desk_keys + "\n4\n" + library_keys;

TEST(Binary, PipedScriptsGiveTheInProcessBytesAndExitZero) {
    const std::vector<std::string> scripts = {
        full_playthrough,
        full_playthrough.substr(0, full_playthrough.size() - 1),  // the last key never comes
        "",
        "x\n",
        "\n58203\n\n\n",
        "\nabc\n",
        "\n1\n山田 太郎\n1\n私\n1\n" + arrival_keys + "\n1\n" + desk_keys + "\n3\n",
        std::string("\n\0\n1\n", 5),
    };
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.substr(0, 30));
        const GameRun run = run_game(script);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.output, play_on(script));
    }
}

TEST(Binary, FullPlaythroughEndsWithTheClosingLines) {
    const GameRun run = run_game(full_playthrough);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.output.ends_with(closing_lines));
}

}  // namespace
}  // namespace kurenagi::testing
