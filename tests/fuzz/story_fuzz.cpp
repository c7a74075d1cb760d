// The whole story on arbitrary keys. The first byte chooses how the keys arrive (a line at a
// time, at once, a byte at a time) and what the screen speaks: the story's own code page, or
// a codeset the converting terminal translates to and from. Every run must end, must never
// ask the terminal again after it said the input ended, and must not crash.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "memory_terminal.hpp"
#include "terminal/converting_terminal.hpp"

namespace {

using kurenagi::Terminal;
using kurenagi::testing::Borrowed;
using kurenagi::testing::MemoryTerminal;

// Lent to the converting terminal, which owns its device; aborts on a read after the end,
// which at a real terminal would wait for ever.
class EndWatcher : public Borrowed {
public:
    using Borrowed::Borrowed;
    std::size_t read(std::span<char> buffer) override {
        if (ended_) {
            std::abort();
        }
        const std::size_t got = Borrowed::read(buffer);
        ended_ = got == 0;
        return got;
    }

private:
    bool ended_ = false;
};

// Stateless and stateful, one byte and many, with refusals both ways.
constexpr std::array codesets = {"UTF-8",           "EUC-JP",         "EUC-JP-MS",    "ISO-2022-JP",
                                 "ISO-2022-JP-3",   "SHIFT_JISX0213", "EUC-JISX0213", "GB18030",
                                 "ISO-2022-CN-EXT", "ISO-2022-KR",    "UTF-16",       "UTF-7",
                                 "BIG5-HKSCS",      "ISO-8859-1",     "TCVN5712-1",   "CP1255",
                                 "ASCII//IGNORE"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return -1;
    }
    const std::uint8_t choice = data[0];
    const auto delivery = static_cast<MemoryTerminal::Delivery>(choice % 3);
    // 0: the story's own code page, with no conversion; then each codeset above.
    const std::size_t screen = (choice / 3) % (codesets.size() + 1);
    MemoryTerminal memory(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), delivery);
    std::unique_ptr<Terminal> terminal = std::make_unique<EndWatcher>(memory);
    if (screen > 0) {
        // Every codeset above is one glibc converts: value() throws, and so fails, otherwise.
        auto conversion = kurenagi::conversion_for(codesets.at(screen - 1)).value();
        terminal = kurenagi::speak(std::move(conversion), std::move(terminal));
    }
    if (kurenagi::play(*terminal) != 0) {
        std::abort();  // memory never fails to take what the story writes
    }
    return 0;
}
