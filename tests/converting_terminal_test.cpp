#include "terminal/codesets/converting_terminal.hpp"

#include <gtest/gtest.h>

#include "memory_terminal.hpp"
#include "terminal/codesets/iconv_converter.hpp"

namespace kurenagi::testing {
namespace {

// Bytes as a UTF-8 source file spells them, whatever the execution character set.
std::string utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

struct Device {
    explicit Device(std::string keys, const std::string& codeset = "UTF-8",
                    MemoryTerminal::Delivery delivery = MemoryTerminal::Delivery::by_line)
        : memory(std::move(keys), delivery) {
        terminal = converting_terminal(conversion_for(codeset).value(),
                                       std::make_unique<Borrowed>(memory));
    }
    // Everything the converting terminal hands the console, read in small pieces.
    [[nodiscard]] std::string typed() const {
        std::string all;
        std::array<char, 3> buffer{};
        for (std::size_t got; (got = terminal->read(buffer)) > 0;) {
            all.append(buffer.data(), got);
        }
        return all;
    }
    MemoryTerminal memory;
    std::unique_ptr<Terminal> terminal;
};

enum Way { to_screen, from_keyboard };
struct Conversion {
    Way way;
    std::string codeset;
    std::string console;  // code page 932
    std::string device;
};

// Each conversion, with the device's pieces as they come (whole lines, or a byte at a time:
// characters split across reads and writes).
void expect_conversions(const std::vector<Conversion>& conversions) {
    using Delivery = MemoryTerminal::Delivery;
    for (const auto delivery : {Delivery::by_line, Delivery::by_byte}) {
        const std::size_t piece = delivery == Delivery::by_byte ? 1 : std::string::npos;
        for (const auto& c : conversions) {
            SCOPED_TRACE(c.codeset + ": " + c.device.substr(0, 20));
            Device device(c.way == from_keyboard ? c.device : "", c.codeset, delivery);
            if (c.way == to_screen) {
                for (std::size_t at = 0; at < c.console.size(); at += piece) {
                    device.terminal->write(c.console.substr(at, piece));
                }
                device.terminal.reset();  // the end of the run shows what was left unfinished
                EXPECT_EQ(device.memory.output, c.device);
                continue;
            }
            EXPECT_EQ(device.typed(), c.console);
        }
    }
}

TEST(ConvertingTerminal, ConvertsBothWaysWithAQuestionMarkForWhatTheOtherSideLacks) {
    expect_conversions({
        {to_screen, "UTF-8", "ー　クレナギ　ー蜉ｩ縺代※", utf8(u8"ー　クレナギ　ー蜉ｩ縺代※")},
        {to_screen, "UTF-8", "\x80|\xA0|\xFD", "?|?|?"},  // bytes code page 932 does not know
        {to_screen, "EUC-JP", "山田ｱ", "\xBB\xB3\xC5\xC4\x8E\xB1"},
        {to_screen, "ISO-8859-1", "山x", "?x"},
        // The won sign for the backslash, the overline for the tilde: still ASCII enough.
        {to_screen, "JOHAB", "x", "x"},
        {to_screen, "ISO646-JP", "x", "x"},
        {to_screen, "UTF-8", std::string(9000, 'x'), std::string(9000, 'x')},  // many chunks
        {to_screen, "UTF-8", "山\n\x8E", utf8(u8"山\n?")},  // cut short by the end
        {from_keyboard, "UTF-8", "山田 太郎ｱ１\n", utf8(u8"山田 太郎ｱ１\n")},
        {from_keyboard, "UTF-8", "?x\n", utf8(u8"😀x\n")},  // one "?" for the whole character
        {from_keyboard, "UTF-8", "??x\n", "\xFF\xC3x\n"},  // broken UTF-8
        {from_keyboard, "UTF-8", "?", utf8(u8"太").substr(0, 2)},  // cut short by the end
        {from_keyboard, "EUC-JP", "山田\n", "\xBB\xB3\xC5\xC4\n"},
        {from_keyboard, "ISO-8859-1", "§?\n", "\xA7\xE9\n"},  // one byte can become two
    });
}

// iconv refuses some characters only once it has taken all of the piece.
TEST(ConvertingTerminal, RefusalAtTheEndOfAPieceReadsNothingPastIt) {
    expect_conversions({
        {to_screen, "ISO-8859-1//IGNORE", "x山", "x?"},
        {from_keyboard, "ISO-2022-CN-EXT", "a?b\n", "a\016b\n"},  // a shift with no set
    });
}

// Found by fuzzing: glibc's CP949 takes a broken pair before it refuses it, so a broken byte
// right after it went without its own "?" when both came in one piece.
TEST(ConvertingTerminal, BrokenPairTakenBeforeItsRefusalLeavesTheNextByteItsOwnMark) {
    expect_conversions({{from_keyboard, "CP949", "??x\n", "\xA2\xE8\xFFx\n"}});
}

// Found by fuzzing: glibc's GB18030 takes a lead byte and a digit for the start of a
// four-byte character before it looks further, and waited for the rest with the Enter after
// them, which the end of the input then lost.
TEST(ConvertingTerminal, BrokenCharacterHoldsNoEnterBack) {
    expect_conversions({{from_keyboard, "GB18030", "?6\n", "\3446\n"}});
}

// glibc's JIS X 0213 decoders give か and a combining mark, which code page 932 lacks, for
// one code; the mark they hold must not block every key after it.
TEST(ConvertingTerminal, HeldHalfOfACombiningPairLosesNoLaterKey) {
    expect_conversions({
        {from_keyboard, "SHIFT_JISX0213", "か?x\n1\n", "\x82\xF5x\n1\n"},
        {from_keyboard, "EUC-JISX0213", "か?\n", "\xA4\xF7\n"},
    });
}

// glibc's Vietnamese decoders hold each letter back for a tone mark that may follow: the
// Enter after a name that ends in a letter code page 932 lacks (Hà) was taken for its "?".
TEST(ConvertingTerminal, LetterHeldForAToneMarkLosesNoLaterKey) {
    expect_conversions({
        {from_keyboard, "TCVN5712-1", "H?\n1\n", "H\xB5\n1\n"},
        {from_keyboard, "CP1258", "?\nx\n", "\xFF\nx\n"},
        {from_keyboard, "TCVN5712-1", "?\nx\n", "\xB3\nx\n"},  // a mark on nothing
    });
}

// ISO-2022-JP shifts into kanji and back: a "?" inside kanji mode reads as half a kanji, and
// a screen left there garbles the shell's prompt.
TEST(ConvertingTerminal, QuestionMarkAndTheEndAreInTheInitialShiftState) {
    expect_conversions({
        {to_screen, "ISO-2022-JP", "山～a山", "\x1B$B;3\x1B(B?a\x1B$B;3\x1B(B"},
    });
}

// The characters that glibc's EUC-JP maps otherwise than code page 932 (EUC-JP locales get
// Microsoft's variant).
TEST(ConvertingTerminal, EucJpCharactersBothSidesHaveGoBothWays) {
    const std::string euc = "\xA1\xC1\xA1\xDD\xA1\xC2\xA1\xF1\xA1\xF2\xA2\xCC";
    expect_conversions({
        {to_screen, "EUC-JP-MS", "～－∥￠￡￢", euc},
        {from_keyboard, "EUC-JP-MS", "～－∥￠￡￢\n", euc + "\n"},
    });
}

// The terminal echoes what the player types in the screen's current shift state: a digit
// typed at a menu must not read as half a kanji.
TEST(ConvertingTerminal, StatefulScreenIsInItsInitialStateAtEveryWait) {
    Device device("1\n", "ISO-2022-JP");
    device.terminal->write("選択肢");
    EXPECT_EQ(device.typed(), "1\n");
    EXPECT_EQ(device.memory.screens_at_wait.front(), "\x1B$BA*Br;h\x1B(B");
}

// A terminal takes keys after Ctrl-D, for the closing window: they start afresh, without the
// half character the end cut short.
TEST(ConvertingTerminal, KeysAfterTheEndStartAfresh) {
    auto keyboard = IconvConverter::open("CP932", "UTF-8");
    EXPECT_EQ(keyboard->convert(utf8(u8"太").substr(0, 2)), "");
    EXPECT_EQ(keyboard->finish(), "?");
    EXPECT_EQ(keyboard->convert("x\n"), "x\n");
}

// Half a converter is none: CP932 reads as UTF-32 everywhere, yet it has no converter to a
// codeset the library cannot write.
TEST(ConvertingTerminal, CodesetTheLibraryCannotWriteHasNoConverter) {
    EXPECT_EQ(IconvConverter::open("NO-SUCH-CODESET", "CP932"), nullptr);
}

}  // namespace
}  // namespace kurenagi::testing
