// Every recorded playthrough, played in-process on a memory terminal, the keys arriving a
// line at a time as from a console, all at once as from a file, or a byte at a time.

#include <gtest/gtest.h>

#include <set>

#include "memory_terminal.hpp"
#include "playthroughs.hpp"

namespace kurenagi::testing {
namespace {

TEST(Playthroughs, ShowTheirRecordedScreens) {
    const auto playthroughs = recorded_playthroughs();
    ASSERT_GE(playthroughs.size(), 30U);
    // Each case plays keys of its own: two with the same keys would test one thing twice.
    std::set<std::string> keys;
    for (const auto& p : playthroughs) {
        EXPECT_TRUE(keys.insert(p.keys).second) << p.name;
    }
    using Delivery = MemoryTerminal::Delivery;
    for (const auto delivery : {Delivery::by_line, Delivery::at_once, Delivery::by_byte}) {
        for (const auto& p : playthroughs) {
            SCOPED_TRACE(p.name);
            MemoryTerminal terminal(p.keys, delivery);
            EXPECT_EQ(play(terminal), 0);
            EXPECT_EQ(terminal.output, p.screen);
        }
    }
}

// Input that ends anywhere at all ends the run, never in a wait or a loop.
TEST(Playthroughs, CutShortAtEveryByte) {
    const std::string keys = recorded("reckless-player").keys;
    for (std::size_t size = 0; size <= keys.size(); ++size) {
        MemoryTerminal terminal(keys.substr(0, size));
        EXPECT_EQ(play(terminal), 0) << size;
    }
}

TEST(Playthroughs, WritesOnlyWhenWaiting) {
    const Playthrough full = recorded("full-playthrough");
    // Fed in one piece, as through a pipe: the notice before the first read, the rest before
    // the read that finds the end of the input.
    MemoryTerminal piped(full.keys, MemoryTerminal::Delivery::at_once);
    play(piped);
    EXPECT_EQ(piped.writes, 2);
    // Typed line by line: one write for each wait, none for the many texts in between.
    MemoryTerminal typed(full.keys);
    play(typed);
    EXPECT_LE(typed.writes, static_cast<int>(typed.screens_at_wait.size()));
    // Everything written before a wait is on the screen while the game waits.
    EXPECT_EQ(typed.screens_at_wait.back(), full.screen);
    // A flood of refused answers, all in one piece, is written as it comes, a pipe's worth
    // (64 KiB) at a time, never piled up.
    std::string flood = "\n";
    for (int refusal = 0; refusal < 3000; ++refusal) {
        flood += "2\n";
    }
    MemoryTerminal flooded(flood, MemoryTerminal::Delivery::at_once);
    play(flooded);
    EXPECT_GT(flooded.output.size(), 400000U);
    EXPECT_LT(flooded.largest_write, 65536U + 1024U);
}

// A few texts pinned byte for byte as the script writes them, independent of any recording.
TEST(Playthroughs, TextsAreCodePage932Bytes) {
    MemoryTerminal terminal(recorded("window-twice").keys);
    play(terminal);
    // The rule between pages: 21 full-width low lines, 42 bytes.
    std::string rule;
    for (int i = 0; i < 21; ++i) {
        rule += "\x81\x51";
    }
    EXPECT_NE(terminal.output.find("\n\n\n\n" + rule + "\n\n\n\n"), std::string::npos);
    // The cry at the window is written as these nine bytes, which read as UTF-8 spell 助けて.
    EXPECT_NE(terminal.output.find("「\xE5\x8A\xA9\xE3\x81\x91\xE3\x81\xA6！！！！！」"),
              std::string::npos);
}

}  // namespace
}  // namespace kurenagi::testing
