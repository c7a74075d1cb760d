// A few texts pinned byte for byte as the script writes them, independent of any recording.

#include <gtest/gtest.h>

#include "memory_terminal.hpp"
#include "playthroughs.hpp"

namespace kurenagi::testing {
namespace {

TEST(Screen, TextsAreCodePage932Bytes) {
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
