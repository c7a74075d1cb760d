// The whole story on arbitrary keys. The first byte chooses what the screen speaks: the story's
// own code page, or a codeset the converting terminal translates to and from. Every run must
// end, must never ask the terminal again after it said the input ended, must not crash, and
// must show the same screen however the keys arrive (a line at a time, at once, a byte at a
// time).

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "memory_terminal.hpp"
#include "terminal/codesets/converting_terminal.hpp"
#include "terminal/codesets/iconv_converter.hpp"

namespace {

using kurenagi::Terminal;
using kurenagi::testing::Borrowed;
using kurenagi::testing::MemoryTerminal;

// Lent to the converting terminal, which owns its device; aborts on a read after the end,
// which at a real terminal would wait for ever.
class EndWatcher : public Borrowed {
    bool ended_ = false;

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
};

// Stateless and stateful, one byte and many, with refusals both ways.
constexpr std::array codesets = {"UTF-8",           "EUC-JP",         "EUC-JP-MS",    "ISO-2022-JP",
                                 "ISO-2022-JP-3",   "SHIFT_JISX0213", "EUC-JISX0213", "GB18030",
                                 "ISO-2022-CN-EXT", "ISO-2022-KR",    "UTF-16",       "UTF-7",
                                 "BIG5-HKSCS",      "ISO-8859-1",     "TCVN5712-1",   "CP1255",
                                 "ASCII//IGNORE"};

// Decoders that shift, or that compose a letter with its mark, may read a character split across
// reads otherwise than whole (the terminal target knows them too); they never meet a terminal's
// keys split within a line. UTF-16's encoder, which no terminal of the game gets, starts again
// with a byte-order mark whenever the screen is brought back to its initial state, at every
// wait. The screen must not depend on the pieces for all the others.
bool pieces_may_matter(std::string_view codeset) {
    return codeset.starts_with("ISO-2022") || codeset == "UTF-7" || codeset == "TCVN5712-1" ||
           codeset == "CP1255" || codeset == "UTF-16";
}

// The screen the story shows for `keys`, on a screen that speaks `codeset`, or its own.
std::string screen(const std::string& keys, MemoryTerminal::Delivery delivery,
                   const char* codeset) {
    MemoryTerminal memory(keys, delivery);
    {
        std::unique_ptr<Terminal> terminal = std::make_unique<EndWatcher>(memory);
        if (codeset != nullptr) {
            using kurenagi::IconvConverter;
            terminal = kurenagi::converting_terminal(
                {.to_screen = IconvConverter::open(codeset, "CP932"),
                 .from_keyboard = IconvConverter::open("CP932", codeset)},
                std::move(terminal));
        }
        if (kurenagi::play(*terminal) != 0) {
            std::abort();  // memory never fails to take what the story writes
        }
    }
    return memory.output;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return -1;
    }
    // 0: the story's own code page, with no conversion; then each codeset above.
    const std::size_t choice = data[0] % (codesets.size() + 1);
    const char* codeset = choice == 0 ? nullptr : codesets.at(choice - 1);
    const std::string keys(reinterpret_cast<const char*>(data) + 1, size - 1);
    using Delivery = MemoryTerminal::Delivery;
    const std::string by_line = screen(keys, Delivery::by_line, codeset);
    const std::string at_once = screen(keys, Delivery::at_once, codeset);
    const std::string by_byte = screen(keys, Delivery::by_byte, codeset);
    if ((codeset == nullptr || !pieces_may_matter(codeset)) &&
        (at_once != by_line || by_byte != by_line)) {
        std::abort();
    }
    return 0;
}
