// The built game as its own process: through pipes, as a script or another program drives
// it, and on a pseudo-terminal, as a player meets it.

#include <gtest/gtest.h>

#include <cstdlib>

#include "game_process.hpp"
#include "memory_terminal.hpp"
#include "playthroughs.hpp"
#include "terminal/iconv_converter.hpp"

namespace kurenagi::testing {
namespace {

// A pipe gets the story's own bytes, even in a UTF-8 locale.
TEST(Pipes, PlaythroughsShowTheirRecordedScreens) {
    for (const auto& p : recorded_playthroughs()) {
        SCOPED_TRACE(p.name);
        const GameRun run = run_game(p.keys, {.environment = {"LC_ALL=C.UTF-8"}});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.output, p.screen);
        EXPECT_EQ(run.errors, "");
    }
}

TEST(Pipes, NonBlockingInputWaitsForKeysThatComeLate) {
    const Playthrough full = recorded("full-playthrough");
    GameProcess game({.nonblocking_input = true});
    ASSERT_TRUE(game.sees("お願いいたします"));
    usleep(100000);
    const GameRun run = game.finish(full.keys);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, full.screen);
}

TEST(Pipes, NonBlockingOutputToASlowReaderLosesNothing) {
    // Refused answers at the first move menu: megabytes of screen that the pipe takes slowly.
    std::string keys = "\n1\n山田 太郎\n1\n私\n1\n" + std::string(7, '\n');
    for (int refusal = 0; refusal < 16000; ++refusal) {
        keys += "1\n";
    }
    GameProcess game({.nonblocking_output = true});
    const GameRun run = game.finish(keys, 300);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");
    EXPECT_GT(run.output.size(), 3000000U);
    MemoryTerminal expected(keys, MemoryTerminal::Delivery::at_once);
    play(expected);
    EXPECT_EQ(run.output, expected.output);
}

TEST(Pipes, FailuresAreNeverASuccess) {
    const Playthrough all = recorded("full-playthrough");
    const GameRun full = run_game(all.keys, {.screen = Screen::full_disk});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.errors, "kurenagi: cannot write to standard output: No space left on device\n");

    const GameRun closed = run_game(all.keys, {.screen = Screen::closed_pipe});
    EXPECT_EQ(closed.status, 128 + SIGPIPE);

    const GameRun directory = run_game("", {.directory_input = true});
    EXPECT_EQ(directory.status, 1);
    EXPECT_EQ(directory.output, recorded("no-input").screen);
    EXPECT_EQ(directory.errors, "kurenagi: cannot read standard input: Is a directory\n");
}

// The story's text as a screen of the given codeset shows it.
std::string in_codeset(const std::string& codeset, const std::string& text) {
    return codeset == "CP932" ? text : IconvConverter::open(codeset, "CP932")->convert(text);
}

TEST(PseudoTerminal, EveryLocaleGetsReadableJapanese) {
    struct Case {
        std::vector<std::string> environment;
        std::string codeset;
    };
    const std::vector<Case> cases = {
        {{"LC_ALL=C.UTF-8"}, "UTF-8"},
        {{"LANG=ja_JP.UTF-8"}, "UTF-8"},  // named, but not installed
        {{"LC_CTYPE=UTF-8", "LANG=C"}, "UTF-8"},
        {{"LC_ALL=", "LANG=C"}, "UTF-8"},
        {{"LANG=POSIX"}, "UTF-8"},
        {{}, "UTF-8"},
        {{"LOCPATH=" KURENAGI_LOCALES, "LANG=ja_JP.EUC-JP"}, "EUC-JP"},
        {{"LANG=ja_JP.SJIS"}, "CP932"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.environment.empty() ? "no locale" : c.environment.back());
        GameProcess player({.screen = Screen::pty, .environment = c.environment});
        ASSERT_TRUE(
            player.sees(in_codeset(c.codeset, "選択肢入力の際は半角英数でお願いいたします")));
        // Nine bytes of code page 932 (13 of UTF-8): a name the story keeps whole.
        player.type("\n1\n" + in_codeset(c.codeset, "あいうえa 太郎\n"));
        EXPECT_TRUE(player.sees(in_codeset(c.codeset, "あいうえa 太郎 であっていますか？")));
    }
}

TEST(PseudoTerminal, CtrlDEndsTheRunWithoutAnotherWait) {
    // Once at a gate in the middle of the story, once at a menu.
    for (const std::string& before : {std::string("\n1\nA B\n1\nC\n1\n"), std::string("\n")}) {
        GameProcess player({.screen = Screen::pty, .environment = {"LC_ALL=C.UTF-8"}});
        ASSERT_TRUE(player.sees(in_codeset("UTF-8", "お願いいたします")));
        player.type(before);
        ASSERT_TRUE(player.sees(in_codeset("UTF-8", "選択肢を入力してください：")));
        EXPECT_EQ(player.finish("\x04").status, 0);
    }
}

// The Windows program in Wine's console on a pseudo-terminal: the console's code page is
// not 932, yet the story reads right and a Japanese name typed there reaches the story whole.
// Wine's console echoes typed lines itself and wants Enter as CR. `.ci/windows` names the
// program; without it the test says it was skipped.
TEST(WineConsole, ShowsJapaneseAndTakesAJapaneseName) {
    const char* program = std::getenv("KURENAGI_WINDOWS_GAME");
    if (program == nullptr) {
        GTEST_SKIP() << "KURENAGI_WINDOWS_GAME names no Windows program";
    }
    GameProcess player({.screen = Screen::pty,
                        .command = {"/usr/lib/wine/wine64", program},
                        .environment = {"LANG=C.UTF-8"},
                        .raw = true});
    const auto sees = [&](const std::string& text) {
        return player.sees(in_codeset("UTF-8", text));
    };
    ASSERT_TRUE(sees("選択肢入力の際は半角英数でお願いいたします"));
    player.type("\r1\r");
    ASSERT_TRUE(sees("名字："));
    player.type(in_codeset("UTF-8", "山田 太郎\r"));
    EXPECT_TRUE(sees("山田 太郎 であっていますか？"));
}

}  // namespace
}  // namespace kurenagi::testing
