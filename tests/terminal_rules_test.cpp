// The terminal layer's rules that need no device: the Windows console's reading on every
// platform alike, and the locale names of POSIX systems.

#include <gtest/gtest.h>

#include <array>

#ifndef _WIN32
#include "terminal/codesets/locale_names.hpp"
#endif
#include "terminal/windows/text_mode_input.hpp"
#include "terminal/windows/whole_characters.hpp"

namespace kurenagi::testing {
namespace {

#ifndef _WIN32
TEST(ScreenEncoding, CodesetForEveryKindOfLocale) {
    struct Case {
        std::array<const char*, 3> variables;  // LC_ALL, LC_CTYPE, LANG
        const char* installed;
        const char* codeset;
    };
    const std::vector<Case> cases = {
        {{"C.UTF-8", "ja_JP.eucJP", nullptr}, "UTF-8", "UTF-8"},
        {{"", "C", "ja_JP.UTF-8"}, "ANSI_X3.4-1968", "UTF-8"},  // ASCII cannot show Japanese
        {{nullptr, "", "ja_JP.eucJP"}, "EUC-JP", "EUC-JP"},
        // Named but not installed: the name tells.
        {{nullptr, nullptr, "ja_JP.UTF-8"}, nullptr, "UTF-8"},
        {{"", "", "en_US.utf8"}, nullptr, "UTF-8"},
        {{nullptr, "UTF-8", "C"}, nullptr, "UTF-8"},
        {{"ja_JP.eucJP@cjk", nullptr, nullptr}, nullptr, "eucJP"},
        {{nullptr, "ja_JP.SJIS", nullptr}, nullptr, "SJIS"},
        {{nullptr, nullptr, "en_US.US-ASCII"}, nullptr, "UTF-8"},
        {{nullptr, nullptr, "ja_JP"}, nullptr, "ja_JP"},
        {{nullptr, nullptr, nullptr}, nullptr, "UTF-8"},
        // An iconv suffix is no part of the codeset (it once sent the converter past its input).
        {{nullptr, nullptr, "en_US.ISO-8859-1//IGNORE"}, nullptr, "ISO-8859-1"},
        {{"C.ASCII//TRANSLIT", nullptr, nullptr}, nullptr, "UTF-8"},
    };
    for (const auto& [variables, installed, codeset] : cases) {
        const auto name = locale_name(variables[0], variables[1], variables[2]);
        EXPECT_EQ(terminal_codeset(name, installed), codeset) << name;
    }
}

TEST(ScreenEncoding, CodePage932UnderAnyOfItsNames) {
    for (const char* name : {"CP932", "SJIS", "sjis", "Shift_JIS", "SHIFT-JIS", "WINDOWS-31J",
                             "MS_KANJI", "IBM-943"}) {
        EXPECT_TRUE(is_code_page_932(name)) << name;
    }
    for (const char* name : {"UTF-8", "EUC-JP", "CP9320", "", "ISO-2022-JP"}) {
        EXPECT_FALSE(is_code_page_932(name)) << name;
    }
}

TEST(ScreenEncoding, EucJpScreensTryMicrosoftsVariantFirstAndUtf8Last) {
    using Codesets = std::vector<std::string>;
    EXPECT_EQ(screen_codesets("eucJP"), (Codesets{"EUC-JP-MS", "eucJP", "UTF-8"}));
    EXPECT_EQ(screen_codesets("EUC-JP"), (Codesets{"EUC-JP-MS", "EUC-JP", "UTF-8"}));
    EXPECT_EQ(screen_codesets("ISO-2022-JP"), (Codesets{"ISO-2022-JP", "UTF-8"}));
}

#endif

TEST(TextModeInput, CrLfIsOneLineFeedAndCtrlZEndsAConsole) {
    struct Case {
        bool console;
        std::vector<std::string> pieces;
        std::string keys;
        bool ended;
    };
    const std::vector<Case> cases = {
        {false, {"1\r\n", "\r\n"}, "1\n\n", false},
        {false, {"1\r", "\n2\r"}, "1\n2\r", false},  // split pair; a last CR stays
        {false, {"a\rb\r\r\n"}, "a\rb\r\n", false},
        {false, {"\x1A\n"}, "\x1A\n", false},  // pipes keep every byte
        {true, {"1\r\n", "ab\x1A\r\n", "never read"}, "1\nab", true},
        {true, {"\r", "\x1A"}, "\r", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        TextModeInput input(c.console);
        std::string keys;
        for (const auto& piece : c.pieces) {
            keys += input.take(piece);
        }
        keys += input.finish();
        EXPECT_EQ(keys, c.keys);
        EXPECT_EQ(input.ended(), c.ended);
    }
}

TEST(TextModeInput, CharactersAreKeptWholeAcrossPieces) {
    const std::string yama = "山";  // 0x8E 0x52: a lead byte, then a trail byte
    const std::string lead = yama.substr(0, 1);
    // Half-width kana and bytes that begin no character stand alone; so do the bytes just
    // outside the two ranges of first bytes.
    const std::vector<std::pair<std::string, std::size_t>> cp932 = {
        {"ab" + yama, 4}, {"ab" + lead, 2}, {lead + lead, 2}, {"ｱ\xFD", 2},
        {"", 0},          {"\x80", 1},      {"\x81", 0},      {"\x9F", 0},
        {"\xA0", 1},      {"\xDF", 1},      {"\xE0", 0},      {"\xFC", 0}};
    for (const auto& [bytes, whole] : cp932) {
        EXPECT_EQ(whole_cp932_length(bytes), whole) << bytes;
    }
    const std::vector<std::pair<std::u16string, std::size_t>> utf16 = {
        {u"\xD7FF", 1},         {u"\xD800", 0}, {u"山\xD83D", 1},
        {u"山\xD83D\xDE00", 3}, {u"\xDBFF", 0}, {u"\xDC00", 1}};
    for (const auto& [text, whole] : utf16) {
        EXPECT_EQ(whole_utf16_length(text), whole);
    }
}

// A character outside the Basic Multilingual Plane typed at a Windows console once cost two
// "?", and so two of a name's nine bytes.
TEST(TextModeInput, SurrogatePairIsOneRefusal) {
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"a\xD83D\xDE00\x62", u"a?b"},       {u"\xD83D\xDE00\xD83D\xDE00", u"??"},
        {u"\xDBFF\xDC00\xD800\xDFFF", u"??"},  // the first and the last pair
        {u"\xDE00\xD83D", u"\xDE00\xD83D"},    // halves alone are left to Windows
        {u"山\xD83D", u"山\xD83D"},           {u"\xD83Dx\xDC00\xDC00", u"\xD83Dx\xDC00\xDC00"},
    };
    for (const auto& [typed, one] : cases) {
        EXPECT_EQ(pairs_as_one_refusal(typed), one);
    }
}

}  // namespace
}  // namespace kurenagi::testing
