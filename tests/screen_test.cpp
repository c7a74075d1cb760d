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
    EXPECT_EQ(written_by(title_menu).substr(0, 16),
              bytes_of({0x81, 0x5B, 0x81, 0x40, 0x83, 0x4E, 0x83, 0x8C, 0x83, 0x69, 0x83, 0x4D,
                        0x81, 0x40, 0x81, 0x5B}));
    // The cry at the window is written as these nine bytes, which read as UTF-8 spell 助けて.
    const std::string cry = bytes_of({0xE5, 0x8A, 0xA9, 0xE3, 0x81, 0x91, 0xE3, 0x81, 0xA6});
    EXPECT_NE(play_on(recorded("window-twice").keys).find("「" + cry + "！！！！！」"),
              std::string::npos);
}

}  // namespace
}  // namespace kurenagi::testing
