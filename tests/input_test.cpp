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

    // Whether a read left the line feed that ended its entry for the next gate to pass on.
    bool enter_left() { return input.gate(); }
};

TEST(Gate, PassesOnlyOnLineFeedOneBytePerGateAndEndOfInputIsFinal) {
    Keys keys("\nab\n\r\n");
    for (const bool passes : {true, false, false, true, false, true, false, false}) {
        EXPECT_EQ(keys.input.gate(), passes);
    }
    // One read for each line and one that found the end; nothing is asked for after that.
    EXPECT_EQ(keys.terminal.screens_at_wait.size(), 4U);
}

struct NumberCase {
    std::string keys;
    std::optional<int> number;  // nothing: the line held no number
    bool enter_left;
};

TEST(ReadNumber, ConvertsSkipsAndLeavesTheRest) {
    const std::vector<NumberCase> cases = {
        {"1\n", 1, true},
        {"\n\n\n2\n", 2, true},  // Enter at a prompt only moves the cursor
        {" \t\v\f\r\n-7x\n", -7, false},
        {"+15 3\n", 15, false},
        {"2147483647\n", INT_MAX, true},
        {"2147483648\n", INT_MAX, true},
        {"4294967298\n", INT_MAX, true},
        {"99999999999999999999999999\n", INT_MAX, true},
        {"-2147483648\n", INT_MIN, true},
        {"-2147483649\n", INT_MIN, true},
        {"-18446744073709551617\n", INT_MIN, true},
        {"abc 5\n9\n", std::nullopt, false},
        {"１\n3\n", std::nullopt, false},  // a full-width digit is no number
        {"-\n3\n", std::nullopt, false},
        {"+x\n3\n", std::nullopt, false},
        {"--1\n3\n", std::nullopt, false},
        {"12", 12, false},  // digits right before the end still count
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        Keys keys(c.keys);
        int number = 42;
        EXPECT_EQ(keys.input.read_number(number), c.number.has_value());
        EXPECT_EQ(number, c.number.value_or(42));
        EXPECT_EQ(keys.enter_left(), c.enter_left);
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
    bool enter_left;
};

TEST(ReadWord, TakesOneWordOfAtMostNineBytes) {
    const std::vector<WordCase> cases = {
        {"山田 太郎\n", "山田", false},
        {"\n\n \t太郎\n", "太郎", true},
        {"あいうえa\n", "あいうえa", true},  // 9 bytes: stored whole
        {"あいうえお\n", "", true},          // 10 bytes: the field is emptied
        {"123456789\n", "123456789", true},
        {"1234567890\n", "", true},
        {"x" + std::string(100000, 'y') + " z\n", "", false},
        {"　山\n", "　山", true},  // a full-width space belongs to the word
        {"a\rb\n", "a", false},
        {"%s%d\n", "%s%d", true},
        {"abc", "abc", false},
        {"\n\n", "old", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys.substr(0, 20));
        Keys keys(c.keys);
        TextField field{'o', 'l', 'd'};
        keys.input.read_word(field);
        EXPECT_EQ(text_of(field), c.word);
        EXPECT_EQ(field.back(), '\0');
        EXPECT_EQ(keys.enter_left(), c.enter_left);
    }
}

}  // namespace
}  // namespace kurenagi::testing
