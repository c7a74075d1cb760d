#include "terminal/closing/closing_terminal.hpp"

#include <gtest/gtest.h>

#include "memory_terminal.hpp"

namespace kurenagi::testing {
namespace {

TEST(ClosingTerminal, EndsTheLastLineKeepsAWindowOfItsOwnAndDiscardsTypedAheadKeys) {
    const std::string window = "\n物語はここで終わりました。Enter キーでウィンドウを閉じます。";
    struct Case {
        bool end_the_line;
        bool keep_the_window;
        std::string story;  // written by the story before the end
        std::string keys;   // read once by the story, then by the window until Enter or the end
        std::string screen;
        int discards;
        std::size_t waits;       // reads of the keys
        bool complains = false;  // after the story's read: then the line is ended once, at once
    };
    const std::vector<Case> cases = {
        {false, false, "abc", "", "abc", 1, 1},
        {true, false, "abc", "", "abc\n", 1, 1},
        {true, false, "abc\n", "", "abc\n", 1, 1},
        {true, false, "：", "1\n", "：", 1, 1},  // the echo of Enter ended the line
        {true, false, "：", "1", "：\n", 1, 1},  // Ctrl-D after a digit: no echo of a line end
        {true, true, "x", "\nzz\n", "x" + window, 2, 2},
        {true, true, "x", "\nz", "x" + window, 2, 3},  // only Enter or the end closes it
        {true, true, "x", "", "x\n" + window, 2, 2},   // the input had ended
        {true, true, "x\n", "\n", "x\n" + window, 2, 2},
        // A complaint goes to standard error, most often the same screen: on a line of its own.
        {true, false, "abc", "", "abc\n", 1, 1, true},
        {false, false, "abc", "", "abc", 1, 1, true},  // a pipe keeps the story's bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story + "|" + c.keys);
        MemoryTerminal memory(c.keys);
        int discards = 0;
        {
            auto terminal = closing_terminal(std::make_unique<Borrowed>(memory),
                                             {.end_the_line = c.end_the_line,
                                              .keep_the_window = c.keep_the_window,
                                              .discard_typed_ahead = [&] { ++discards; }});
            terminal->write(c.story);
            std::array<char, 64> buffer{};
            static_cast<void>(terminal->read(buffer));
            if (c.complains) {
                terminal->complain("cannot read");
                EXPECT_EQ(memory.output, c.screen);
            }
        }
        EXPECT_EQ(memory.complaints, c.complains ? "cannot read" : "");
        EXPECT_EQ(memory.output, c.screen);
        EXPECT_EQ(discards, c.discards);
        EXPECT_EQ(memory.screens_at_wait.size(), c.waits);
        // A window of its own waits for the player with the line on the screen.
        EXPECT_EQ(memory.screens_at_wait.back().ends_with(window), c.keep_the_window);
    }
}

}  // namespace
}  // namespace kurenagi::testing
