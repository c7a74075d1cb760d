// Every recorded playthrough, played in-process on a memory terminal, the keys arriving a
// line at a time as from a console, all at once as from a file, or a byte at a time.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include "terminal/codesets/iconv_converter.hpp"
#endif

#include "memory_terminal.hpp"

namespace kurenagi::testing {
namespace {

// The recorded playthroughs of tests/cases: for each, the keys a player typed and the screen
// they saw, as the game reads and writes them (the build turns the UTF-8 files into code
// page 932 and drops the line that says what a case is about).
struct Playthrough {
    std::string name;
    std::string keys;
    std::string screen;
};

std::string file_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

Playthrough recorded(const std::string& name) {
    const std::string base = std::string(KURENAGI_CASES) + "/" + name;
    return {name, file_text(base + ".keys"), file_text(base + ".screen")};
}

std::vector<Playthrough> recorded_playthroughs() {
    std::vector<Playthrough> all;
    std::ifstream index(std::string(KURENAGI_CASES) + "/index");
    for (std::string name; std::getline(index, name);) {
        all.push_back(recorded(name));
    }
    return all;
}

// A screen as the player reads it, in UTF-8, line by line; a byte that is no character is
// shown as a question mark.
std::vector<std::string> utf8_lines(const std::string& cp932) {
#ifdef _WIN32
    std::wstring wide(cp932.size(), L'\0');
    wide.resize(MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    std::string utf8(wide.size() * 3, '\0');  // three bytes at most for each unit
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
#else
    const auto screen = IconvConverter::open("UTF-8", "CP932");
    const std::string utf8 = screen->convert(cp932) + screen->finish();
#endif
    std::vector<std::string> lines;
    std::istringstream stream(utf8);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(Playthroughs, ShowTheirRecordedScreens) {
    const auto playthroughs = recorded_playthroughs();
    ASSERT_GE(playthroughs.size(), 30U);
    // Each case plays keys of its own: two with the same keys would test one thing twice.
    std::set<std::string> keys;
    for (const auto& p : playthroughs) {
        EXPECT_TRUE(keys.insert(p.keys).second) << p.name;
    }
    using Delivery = MemoryTerminal::Delivery;
    const std::array<std::pair<Delivery, const char*>, 3> deliveries = {
        {{Delivery::by_line, "a line at a time"},
         {Delivery::at_once, "all at once"},
         {Delivery::by_byte, "a byte at a time"}}};
    for (const auto& p : playthroughs) {
        // The first delivery that shows another screen says what differs; the others would
        // only say it again.
        for (const auto& [delivery, how] : deliveries) {
            MemoryTerminal terminal(p.keys, delivery);
            EXPECT_EQ(play(terminal), 0) << p.name;
            if (terminal.output != p.screen) {
                ADD_FAILURE() << p.name << ", keys " << how << ":\n--- " << p.name
                              << ".screen\n+++ shown\n"
                              << ::testing::internal::edit_distance::CreateUnifiedDiff(
                                     utf8_lines(p.screen), utf8_lines(terminal.output));
                break;
            }
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
