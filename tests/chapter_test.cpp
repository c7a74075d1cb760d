#include <gtest/gtest.h>

#include "memory_terminal.hpp"
#include "script_texts.hpp"
#include "story/scenes.hpp"

namespace kurenagi::testing {
namespace {

const std::string a = "山田", b = "太郎", d = "私";

const std::string to_classroom_keys = "\n1\n山田 太郎\n1\n私\n1\n" + arrival_keys;
const std::string to_classroom =
    notice + title_round() + names_round(a, b) + pronoun_round(d) + arrival(a, b);

const std::string look_or_go = look_or_go_choices + page();

struct Playthrough {
    const char* name;
    std::string keys;  // from the first key in classroom 2-a
    std::string screen;
};

TEST(Chapter, Playthroughs) {
    const std::vector<Playthrough> cases = {
        {"desk, then the library by the route menu",
         "\n1\n" + desk_keys + "\n2\n\n4\n" + library_keys,
         examine_round() + desk(a, d) + look_or_go + in_2a + route_round() + library(a, b, d)},
        {"window first, then the desk and straight to the library",
         "\n2\n" + window_keys + "1\n1\n" + desk_keys + "\n4\n" + library_keys,
         examine_round() + window(a, d, 45) + window_round + examine_round() + desk(a, d) +
             look_or_go + library(a, b, d)},
        {"route 1 goes back to the examine menu at once",
         "\n1\n" + desk_keys + "\n2\n\n1\n1\n\n4\n" + library_keys,
         examine_round() + desk(a, d) + look_or_go + in_2a + route_round() + examine_round() +
             desk_again + look_or_go + library(a, b, d)},
        {"look-or-go 3 ends the run after a page break", "\n1\n" + desk_keys + "\n3\n",
         examine_round() + desk(a, d) + look_or_go},
        {"look-or-go 0 ends the run even with input left", "\n1\n" + desk_keys + "\n0\n\n\n",
         examine_round() + desk(a, d) + look_or_go},
        {"2 at look-or-go, its route menu skipped: the run ends", "\n1\n" + desk_keys + "\n2\nx\n",
         examine_round() + desk(a, d) + look_or_go + in_2a},
        {"a second look at the window shows nothing more",
         "\n2\n" + window_keys + "1\n2\n1\n1\n" + desk_keys + "\n4\n" + library_keys,
         examine_round() + window(a, d, 45) + window_round + examine_round() + window_again +
             window_again_round() + examine_round() + desk(a, d) + look_or_go + library(a, b, d)},
        {"refused choices at every menu",
         "\n3\n2\n" + window_keys + "2\n1\n2\n2\n1\n1\n" + desk_keys + "\nabc\n2\n\n2\n3\n4\n" +
             library_keys,
         examine_round() + refused + examine_round() + window(a, d, 45) + window_round + refused +
             window_round + examine_round() + window_again + window_again_round() + refused +
             window_again_round() + examine_round() + desk(a, d) + look_or_go_choices + refused +
             look_or_go + in_2a + route_round() + refused + route_round() + refused +
             route_round() + library(a, b, d)},
        {"a failed examine gate looks at the same place again",
         "\n2\n" + window_keys + "1x\n1\n1\n" + desk_keys + "\n1x\n\n4\n" + library_keys,
         examine_round() + window(a, d, 45) + window_round + window_again + window_again_round() +
             examine_round() + desk(a, d) + look_or_go + desk_again + look_or_go +
             library(a, b, d)},
        {"a failed examine gate on the first pass examines nothing and ends the run", "x\n1\n", ""},
        {"a letter at the closing lines skips them and the last key ends the run",
         "\n1\n" + desk_keys + "\n4\n" + enters(13) + "x\n\n",
         examine_round() + desk(a, d) + look_or_go + encounter(a, b, d)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(play_on(to_classroom_keys + c.keys), to_classroom + c.screen);
    }
}

TEST(Chapter, RefusedMovesInTheCorridors) {
    const std::string keys =
        "\n1\n山田 太郎\n1\n私\n1\n" + enters(7) + "1\n6\n" + enters(4) + "6\n-1\n1\n" + enters(1);
    const std::string screen = notice + title_round() + names_round(a, b) + pronoun_round(d) +
                               chapter_title + prologue(a, b) + move_round("6.二階へ") + refused +
                               move_round("6.二階へ") + second_floor() +
                               repeated(move_round("1.2-a") + refused, 2) + move_round("1.2-a") +
                               in_classroom(a, b);
    EXPECT_EQ(play_on(keys), screen);
}

TEST(Chapter, EndOfInputInsideEachScene) {
    const std::vector<Playthrough> cases = {
        {"at the 1F move menu", "\n1\n山田 太郎\n1\n私\n1\n" + enters(7),
         chapter_title + prologue(a, b) + page() +
             "移動したい場所を選んでください\n\n\n6.二階へ\n\n" + prompt},
        {"in the desk", to_classroom_keys + "\n1\n\n",
         arrival(a, b) + examine_round() + desk(a, d).substr(0, desk(a, d).find("「なんで"))},
        {"in the window", to_classroom_keys + "\n2\n" + enters(3),
         arrival(a, b) + examine_round() +
             window(a, d, 45).substr(0, window(a, d, 45).find("「ネぇ")) + window_round},
        {"in the library", to_classroom_keys + "\n1\n" + desk_keys + "\n4\n" + enters(3),
         arrival(a, b) + examine_round() + desk(a, d) + look_or_go +
             library(a, b, d).substr(0, library(a, b, d).find("?? ??"))},
    };
    const std::string opening = notice + title_round() + names_round(a, b) + pronoun_round(d);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(play_on(c.keys), opening + c.screen);
    }
}

TEST(Chapter, MentalStrengthDropsOnlyWhenTheFirstLookShowsIt) {
    struct Case {
        const char* name;
        std::string keys;
        int mental;
    };
    const std::vector<Case> cases = {
        {"looked twice", "\n2\n" + window_keys + "1\n2\n1\n1\n" + desk_keys + "\n3\n", 45},
        {"the beat that shows it skipped",
         "\n2\n" + enters(8) + "x\n\n1\n1\n" + desk_keys + "\n3\n", 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryTerminal terminal(c.keys);
        Console con(terminal);
        StoryState s;
        EXPECT_EQ(investigate_classroom(con, s), Route::end);
        EXPECT_EQ(s.mental, c.mental);
        EXPECT_EQ(s.desk_visits, 1);
    }
}

TEST(Chapter, FullPlaythroughWaitsForOneLastKey) {
    MemoryTerminal terminal(to_classroom_keys + "\n1\n" + desk_keys + "\n4\n" + library_keys);
    EXPECT_EQ(play(terminal), 0);
    EXPECT_TRUE(terminal.output.ends_with(closing_lines));
    EXPECT_EQ(terminal.screens_at_wait.back(), terminal.output);
}

TEST(Chapter, WritesOnlyWhenWaiting) {
    const std::string keys = to_classroom_keys + "\n1\n" + desk_keys + "\n4\n" + library_keys;
    // Fed in one piece, as through a pipe: the notice before the first read, the rest before
    // the read that finds the end of the input.
    MemoryTerminal piped(keys, MemoryTerminal::Delivery::at_once);
    play(piped);
    EXPECT_EQ(piped.writes, 2);
    // Typed line by line: one write for each wait, none for the many texts in between.
    MemoryTerminal typed(keys);
    play(typed);
    EXPECT_LE(typed.writes, static_cast<int>(typed.screens_at_wait.size()));
    EXPECT_EQ(typed.output, piped.output);
}

}  // namespace
}  // namespace kurenagi::testing
