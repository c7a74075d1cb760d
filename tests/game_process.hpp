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
    // "NAME=value" sets a variable, a bare "NAME" removes it. Locales are cleared first.
    std::vector<std::string> environment = {"LC_ALL=C"};
    bool nonblocking_input = false;
    bool nonblocking_output = false;
    bool directory_input = false;
    // A pseudo-terminal with no echo and no line editing, Enter arriving as CR.
    bool raw = false;
};

struct GameRun {
    std::string output;
    std::string errors;
    int status = -1;  // the exit status, or 128 and the signal that ended the game
};

class GameProcess {
public:
    explicit GameProcess(const Launch& launch) : launch_(launch), errors_(tmpfile()) {
        // Keys sent to a game that has ended are lost, not fatal to the test.
        (void)signal(SIGPIPE, SIG_IGN);
        std::array<int, 2> in{-1, -1};
        std::array<int, 2> out{-1, -1};
        if (launch.screen == Screen::pty) {
            pid_ = forkpty(&keys_, nullptr, nullptr, nullptr);
            screen_ = keys_;
        } else {
            if (pipe(in.data()) != 0 || pipe(out.data()) != 0) {
                ADD_FAILURE() << "no pipes";
                return;
            }
            keys_ = in[1];
            screen_ = out[0];
            if (launch.screen == Screen::closed_pipe) {
                close(screen_);
                screen_ = -1;
            }
            pid_ = fork();
        }
        if (pid_ == 0) {
            start_game(in[0], out[1]);
        }
        if (launch.screen != Screen::pty) {
            close(in[0]);
            close(out[1]);
        }
    }
    ~GameProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (screen_ >= 0 && screen_ != keys_) {
            close(screen_);
        }
        if (keys_ >= 0) {
            close(keys_);
        }
        (void)fclose(errors_);
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Sends keys; the game may have ended, and then the rest is simply not wanted.
    void type(std::string_view keys) const {
        while (!keys.empty()) {
            const ssize_t put = write(keys_, keys.data(), keys.size());
            if (put <= 0) {
                return;
            }
            keys.remove_prefix(static_cast<std::size_t>(put));
        }
    }

    // Waits until `text` has appeared on the screen since the last thing seen.
    bool sees(const std::string& text) {
        while (screen_text_.find(text, seen_) == std::string::npos) {
            if (!read_screen(5000)) {
                return false;
            }
        }
        seen_ = screen_text_.find(text, seen_) + text.size();
        return true;
    }

    // Feeds `keys` and closes the input, reads the screen until the game ends, and waits
    // for it. `wait_ms` keeps the screen unread that long first, as a slow terminal would.
    GameRun finish(const std::string& keys = "", int wait_ms = 0) {
        std::thread feeder([&] {
            type(keys);
            if (launch_.screen != Screen::pty) {
                close(keys_);
                keys_ = -1;
            }
        });
        usleep(static_cast<useconds_t>(wait_ms) * 1000);
        while (screen_ >= 0 && read_screen(launch_.screen == Screen::pty ? 5000 : -1)) {
        }
        feeder.join();
        GameRun run;
        int status = 0;
        if (waitpid(pid_, &status, 0) == pid_) {
            pid_ = -1;
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        run.output = screen_text_;
        (void)fseek(errors_, 0, SEEK_SET);
        std::array<char, 4096> buffer{};
        for (std::size_t got; (got = fread(buffer.data(), 1, buffer.size(), errors_)) > 0;) {
            run.errors.append(buffer.data(), got);
        }
        return run;
    }

private:
    [[noreturn]] void start_game(int in, int out) const {
        if (launch_.screen == Screen::pty && launch_.raw) {
            termios mode{};
            tcgetattr(STDIN_FILENO, &mode);
            cfmakeraw(&mode);
            tcsetattr(STDIN_FILENO, TCSANOW, &mode);
        }
        if (launch_.screen != Screen::pty) {
            const int screen =
                launch_.screen == Screen::full_disk ? open("/dev/full", O_WRONLY) : out;
            dup2(launch_.directory_input ? open(".", O_RDONLY) : in, STDIN_FILENO);
            dup2(screen, STDOUT_FILENO);
            // The game must see the end of its input when the test closes it.
            close(keys_);
            if (screen_ >= 0) {
                close(screen_);
            }
        }
        dup2(fileno(errors_), STDERR_FILENO);
        if (launch_.nonblocking_input) {
            fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
        }
        if (launch_.nonblocking_output) {
            fcntl(STDOUT_FILENO, F_SETFL, fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
        }
        for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG", "LANGUAGE", "LOCPATH"}) {
            unsetenv(name);
        }
        for (const std::string& setting : launch_.environment) {
            const auto equals = setting.find('=');
            if (equals == std::string::npos) {
                unsetenv(setting.c_str());
            } else {
                setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
            }
        }
        (void)signal(SIGPIPE, SIG_DFL);
        std::vector<char*> argv;
        for (const std::string& word : launch_.command) {
            argv.push_back(const_cast<char*>(word.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }

    bool read_screen(int timeout_ms) {
        pollfd ready{screen_, POLLIN, 0};
        if (poll(&ready, 1, timeout_ms) <= 0) {
            return false;
        }
        std::array<char, 4096> buffer{};
        const ssize_t got = read(screen_, buffer.data(), buffer.size());
        if (got <= 0) {
            return false;
        }
        screen_text_.append(buffer.data(), static_cast<std::size_t>(got));
        return true;
    }

    Launch launch_;
    FILE* errors_;
    pid_t pid_ = -1;
    int keys_ = -1;
    int screen_ = -1;
    std::string screen_text_;
    std::size_t seen_ = 0;
};

inline GameRun run_game(const std::string& keys, const Launch& launch = {}) {
    return GameProcess(launch).finish(keys);
}

}  // namespace kurenagi::testing
