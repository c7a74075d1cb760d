#pragma once

// The built game as a process of its own, on the kind of screen a player or a script gives
// it: pipes, a pseudo-terminal, a full disk or a pipe nobody reads.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace kurenagi::testing {

enum class Screen { pipe, pty, full_disk, closed_pipe };

struct Launch {
    Screen screen = Screen::pipe;
    std::vector<std::string> command = {KURENAGI_BINARY};
    // "NAME=value" settings, after every locale variable was removed.
    std::vector<std::string> environment = {"LC_ALL=C"};
    bool nonblocking_input = false;
    bool nonblocking_output = false;
    bool directory_input = false;
    bool raw = false;  // a pseudo-terminal with no echo and no line editing: Enter is CR
};

struct GameRun {
    std::string output;
    std::string errors;
    int status = -1;  // the exit status, or 128 and the signal that ended the game
};

class GameProcess {
public:
    explicit GameProcess(const Launch& launch) : launch_(launch), errors_(tmpfile()) {
        signal(SIGPIPE, SIG_IGN);  // keys sent to a game that has ended are simply lost
        std::array<int, 2> in{-1, -1};
        std::array<int, 2> out{-1, -1};
        const bool pty = launch.screen == Screen::pty;
        if (!pty && (pipe(in.data()) != 0 || pipe(out.data()) != 0)) {
            ADD_FAILURE() << "no pipes";
        }
        keys_ = in[1];
        screen_ = out[0];
        if (launch.screen == Screen::closed_pipe) {
            close(std::exchange(screen_, -1));
        }
        pid_ = pty ? forkpty(&keys_, nullptr, nullptr, nullptr) : fork();
        if (pid_ == 0) {
            start_game(in[0], out[1]);
        }
        screen_ = pty ? keys_ : screen_;
        for (const int fd : {in[0], out[1]}) {
            close(fd);
        }
    }
    ~GameProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (const int fd : {keys_, screen_ == keys_ ? -1 : screen_}) {
            close(fd);
        }
        fclose(errors_);
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    void type(std::string_view keys) const {
        for (ssize_t put = 0; !keys.empty(); keys.remove_prefix(static_cast<std::size_t>(put))) {
            if ((put = write(keys_, keys.data(), keys.size())) <= 0) {
                return;
            }
        }
    }

    // Waits until `text` has appeared on the screen since the last thing seen.
    bool sees(const std::string& text) {
        while (shown_.find(text, seen_) == std::string::npos) {
            if (!read_screen(5000)) {
                return false;
            }
        }
        seen_ = shown_.find(text, seen_) + text.size();
        return true;
    }

    // Feeds `keys` and closes the input, reads the screen until the game ends and waits for
    // it. `wait_ms` first leaves the screen unread that long, as a slow terminal would.
    GameRun finish(const std::string& keys = "", int wait_ms = 0) {
        std::thread feeder([&] {
            type(keys);
            if (launch_.screen != Screen::pty) {
                close(std::exchange(keys_, -1));
            }
        });
        usleep(static_cast<useconds_t>(wait_ms) * 1000);
        while (screen_ >= 0 && read_screen(launch_.screen == Screen::pty ? 5000 : -1)) {
        }
        feeder.join();
        GameRun run{.output = shown_, .errors = ""};
        int status = 0;
        if (waitpid(std::exchange(pid_, -1), &status, 0) > 0) {
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        rewind(errors_);
        for (int c = 0; (c = fgetc(errors_)) != EOF;) {
            run.errors += static_cast<char>(c);
        }
        return run;
    }

private:
    [[noreturn]] void start_game(int in, int out) const {
        if (launch_.raw) {
            termios mode{};
            tcgetattr(STDIN_FILENO, &mode);
            cfmakeraw(&mode);
            tcsetattr(STDIN_FILENO, TCSANOW, &mode);
        }
        if (launch_.screen != Screen::pty) {
            dup2(launch_.directory_input ? open(".", O_RDONLY) : in, STDIN_FILENO);
            dup2(launch_.screen == Screen::full_disk ? open("/dev/full", O_WRONLY) : out,
                 STDOUT_FILENO);
            close(keys_);  // or the game would never see the end of its input
            close(screen_);
        }
        dup2(fileno(errors_), STDERR_FILENO);
        for (const auto& [fd, wanted] : {std::pair{STDIN_FILENO, launch_.nonblocking_input},
                                         std::pair{STDOUT_FILENO, launch_.nonblocking_output}}) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | (wanted ? O_NONBLOCK : 0));
        }
        for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG", "LANGUAGE", "LOCPATH"}) {
            unsetenv(name);
        }
        std::vector<char*> argv;
        for (const std::string& setting : launch_.environment) {
            putenv(const_cast<char*>(setting.c_str()));
        }
        for (const std::string& word : launch_.command) {
            argv.push_back(const_cast<char*>(word.c_str()));
        }
        argv.push_back(nullptr);
        signal(SIGPIPE, SIG_DFL);
        execv(argv[0], argv.data());
        _exit(127);
    }

    bool read_screen(int timeout_ms) {
        pollfd ready{screen_, POLLIN, 0};
        std::array<char, 4096> buffer{};
        const ssize_t got =
            poll(&ready, 1, timeout_ms) > 0 ? read(screen_, buffer.data(), buffer.size()) : 0;
        shown_.append(buffer.data(), static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        return got > 0;
    }

    Launch launch_;
    FILE* errors_;
    pid_t pid_ = -1;
    int keys_ = -1;
    int screen_ = -1;
    std::string shown_;
    std::size_t seen_ = 0;
};

inline GameRun run_game(const std::string& keys, const Launch& launch = {}) {
    return GameProcess(launch).finish(keys);
}

}  // namespace kurenagi::testing
