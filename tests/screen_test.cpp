// A few texts pinned byte for byte as the script writes them, independent of any recording.

#include "console/screen.hpp"

#include <gtest/gtest.h>

#include "memory_terminal.hpp"
#include "playthroughs.hpp"

namespace kurenagi::testing {
namespace {

std::string bytes_of(const std::vector<unsigned char>& values) {
    return {values.begin(), values.end()};
}

std::string written_by(void (*piece)(Console&)) {
    MemoryTerminal terminal("");
    Console con(terminal);
    piece(con);
    con.flush();
    return terminal.output;
}

TEST(Screen, TextsAreCodePage932Bytes) {
    std::string rule;
    for (int i = 0; i < 21; ++i) {
        rule += bytes_of({0x81, 0x51});  // ＿
    }
    EXPECT_EQ(written_by(print_rule), rule);
    EXPECT_EQ(written_by(page_break), "\n\n\n\n" + rule + "\n\n\n\n");
    // The cry at the window is written as these nine bytes, which read as UTF-8 spell 助けて.
    const std::string cry = bytes_of({0xE5, 0x8A, 0xA9, 0xE3, 0x81, 0x91, 0xE3, 0x81, 0xA6});
    MemoryTerminal terminal(recorded("window-twice").keys);
    play(terminal);
    EXPECT_NE(terminal.output.find("「" + cry + "！！！！！」"), std::string::npos);
}

}  // namespace
}  // namespace kurenagi::testing
