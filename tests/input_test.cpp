#include "console/input.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "memory_terminal.hpp"

namespace kurenagi::testing {
namespace {

// A console on the given keystrokes, delivered one line per read.
struct Keys {
    explicit Keys(std::string input) : terminal(std::move(input)) {}
    MemoryTerminal terminal;
    Output output{terminal};
    Input input{terminal, output};

    // The byte a read left in the stream for whatever comes next.
    int next_byte() {
        input.swallow();
        return input.last_key();
    }
};

TEST(Gate, PassesOnlyOnLineFeedOneBytePerGateAndEndOfInputIsFinal) {
    Keys keys("\nab\n\r\n");
    const std::vector<std::pair<bool, int>> expected = {{true, '\n'}, {false, 'a'},  {false, 'b'},
                                                        {true, '\n'}, {false, '\r'}, {true, '\n'},
                                                        {false, -1},  {false, -1}};
    for (const auto& [passes, key] : expected) {
        EXPECT_EQ(keys.input.gate(), passes);
        EXPECT_EQ(keys.input.last_key(), key);
    }
    // One read for each line and one that found the end; nothing is asked for after that.
    EXPECT_EQ(keys.terminal.screens_at_wait.size(), 4U);
}

struct NumberCase {
    std::string keys;
    std::optional<int> number;  // nothing: the line held no number
    int next;                   // the byte left for whatever reads next
};

TEST(ReadNumber, ConvertsSkipsAndLeavesTheRest) {
    const std::vector<NumberCase> cases = {
        {"1\n", 1, '\n'},
        {"\n\n\n2\n", 2, '\n'},  // Enter at a prompt only moves the cursor
        {" \t\v\f\r\n-7x\n", -7, 'x'},
        {"+15 3\n", 15, ' '},
        {"007\n", 7, '\n'},
        {"58203\n", 58203, '\n'},
        {"2147483647\n", INT_MAX, '\n'},
        {"2147483648\n", INT_MAX, '\n'},
        {"4294967298\n", INT_MAX, '\n'},
        {"99999999999999999999999999\n", INT_MAX, '\n'},
        {"-2147483648\n", INT_MIN, '\n'},
        {"-2147483649\n", INT_MIN, '\n'},
        {"-18446744073709551617\n", INT_MIN, '\n'},
        {"abc 5\n9\n", std::nullopt, '9'},
        {"１\n3\n", std::nullopt, '3'},  // a full-width digit is no number
        {"-\n3\n", std::nullopt, '3'},
        {"+x\n3\n", std::nullopt, '3'},
        {"--1\n3\n", std::nullopt, '3'},
        {"12", 12, -1},  // digits right before the end still count
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        Keys keys(c.keys);
        int number = 42;
        EXPECT_EQ(keys.input.read_number(number), c.number.has_value());
        EXPECT_EQ(number, c.number.value_or(42));
        EXPECT_EQ(keys.next_byte(), c.next);
    }
}

TEST(ReadNumber, EndOfInputBeforeAnyDigitEndsTheRun) {
    for (const std::string input : {"", " \n\n", "abc", "x\n", "-", "+", "\n+"}) {
        SCOPED_TRACE(input);
        Keys keys(input);
        int number = 0;
        if (input == "x\n") {
            EXPECT_FALSE(keys.input.read_number(number));
        }
        EXPECT_THROW(keys.input.read_number(number), InputEnded);
    }
}

struct WordCase {
    std::string keys;
    std::string word;
    int next;
};

TEST(ReadWord, TakesOneWordOfAtMostNineBytes) {
    const std::vector<WordCase> cases = {
        {"山田 太郎\n", "山田", ' '},
        {"\n\n \t太郎\n", "太郎", '\n'},
        {"あいうえa\n", "あいうえa", '\n'},  // 9 bytes: stored whole
        {"あいうえお\n", "", '\n'},          // 10 bytes: the field is emptied
        {"123456789\n", "123456789", '\n'},
        {"1234567890\n", "", '\n'},
        {"x" + std::string(100000, 'y') + " z\n", "", ' '},
        {"　山\n", "　山", '\n'},  // a full-width space belongs to the word
        {"a\rb\n", "a", '\r'},
        {"%s%d\n", "%s%d", '\n'},
        {"abc", "abc", -1},
        {"\n\n", "old", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys.substr(0, 20));
        Keys keys(c.keys);
        TextField field{'o', 'l', 'd'};
        keys.input.read_word(field);
        EXPECT_EQ(text_of(field), c.word);
        EXPECT_EQ(field.back(), '\0');
        EXPECT_EQ(keys.next_byte(), c.next);
    }
}

}  // namespace
}  // namespace kurenagi::testing
