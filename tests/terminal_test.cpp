// The built game on a pseudo-terminal, as a player at a UTF-8 terminal meets it.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <string>

namespace {

std::string utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

class PlayerAtTerminal {
public:
    PlayerAtTerminal() {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            setenv("LC_ALL", "C.UTF-8", 1);
            execl(KURENAGI_BINARY, KURENAGI_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~PlayerAtTerminal() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(master_);
    }

    void type(const std::string& keys) const {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Waits until `text` has appeared on the screen since the last thing seen.
    bool sees(const std::string& text) {
        while (screen_.find(text, seen_) == std::string::npos) {
            if (!read_screen()) {
                return false;
            }
        }
        seen_ = screen_.find(text, seen_) + text.size();
        return true;
    }

    // Waits for the game to end and returns its exit status, or -1 if it keeps waiting.
    int exit_status() {
        while (read_screen()) {
        }
        int status = 0;
        for (int tries = 0; tries < 100; ++tries) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(20000);
        }
        return -1;
    }

private:
    bool read_screen() {
        pollfd ready{master_, POLLIN, 0};
        if (poll(&ready, 1, 5000) <= 0) {
            return false;
        }
        std::array<char, 4096> buffer{};
        const ssize_t got = read(master_, buffer.data(), buffer.size());
        if (got <= 0) {
            return false;
        }
        screen_.append(buffer.data(), static_cast<std::size_t>(got));
        return true;
    }

    pid_t pid_ = -1;
    int master_ = -1;
    std::string screen_;
    std::size_t seen_ = 0;
};

TEST(Terminal, Utf8PlayerReadsAndTypesJapanese) {
    PlayerAtTerminal player;
    ASSERT_TRUE(player.sees(utf8(u8"選択肢入力の際は半角英数でお願いいたします")));
    player.type("\n");
    ASSERT_TRUE(player.sees(utf8(u8"ー　クレナギ　ー")));
    ASSERT_TRUE(player.sees(utf8(u8"選択肢を入力してください：")));
    player.type("1\n");
    ASSERT_TRUE(player.sees(utf8(u8"名字：")));
    player.type(utf8(u8"山田\n"));
    ASSERT_TRUE(player.sees(utf8(u8"名前：")));
    player.type(utf8(u8"太郎\n"));
    ASSERT_TRUE(player.sees(utf8(u8"山田 太郎 であっていますか？")));
    player.type("1\n");
    ASSERT_TRUE(player.sees(utf8(u8"一人称：")));
    player.type(utf8(u8"私\n1\n"));
    ASSERT_TRUE(player.sees(utf8(u8"チャプター１ 「異変」")));
    // The walk to 2-a, then straight to the window.
    player.type(std::string(7, '\n') + "6\n" + std::string(4, '\n') + "1\n\n\n2\n" +
                std::string(5, '\n'));
    ASSERT_TRUE(player.sees(utf8(u8"「蜉ｩ縺代※！！！！！」")));
    player.type(std::string(6, '\n') + "1\n1\n" + std::string(6, '\n') + "4\n" +
                std::string(13, '\n'));
    ASSERT_TRUE(player.sees(utf8(u8"「私は山田 太郎」")));
    player.type("\n\n");
    ASSERT_TRUE(player.sees("think you for pleying!"));
    player.type("\n");
    EXPECT_EQ(player.exit_status(), 0);
}

TEST(Terminal, CtrlDEndsTheRunWithoutAnotherWait) {
    // Once at a gate in the middle of the story, once at a menu.
    for (const std::string& before : {std::string("\n1\nA B\n1\nC\n1\n"), std::string("\n")}) {
        PlayerAtTerminal player;
        ASSERT_TRUE(player.sees(utf8(u8"お願いいたします")));
        player.type(before);
        ASSERT_TRUE(player.sees(utf8(u8"選択肢を入力してください：")));
        player.type("\x04");
        EXPECT_EQ(player.exit_status(), 0);
    }
}

}  // namespace
