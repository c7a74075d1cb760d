// The line editor on its own: the lines it hands over for the keys typed, however the reads of
// the terminal cut them, and never a key past the line it hands over.

#include "terminal/line_editing/line_editor.hpp"

#include <gtest/gtest.h>

namespace kurenagi::testing {
namespace {

std::string utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

// The lines handed over for `keys`, fed in pieces of `piece` bytes, the rest of each piece
// kept for the next line as a terminal device keeps it; "<end>" for a line ended by Ctrl-D.
std::vector<std::string> lines(const std::string& keys, std::size_t piece, bool echo = true) {
    const auto characters = ScreenCharacters::open("UTF-8");
    LineEditor editor(*characters, echo);
    editor.set_columns(20);
    editor.wrote(utf8(u8"名字："));
    std::vector<std::string> handed;
    std::string typed;
    std::string echoed;
    for (std::size_t at = 0; at < keys.size() || !typed.empty();) {
        if (at < keys.size()) {
            typed += keys.substr(at, piece);
            at += piece;
        }
        typed.erase(0, editor.feed(typed, echoed));
        if (editor.has_line()) {
            const std::string line = editor.take_line();
            handed.push_back(line.empty() ? "<end>" : line);
        } else if (at >= keys.size()) {
            break;
        }
    }
    EXPECT_TRUE(echo || echoed.empty());
    return handed;
}

TEST(LineEditor, HandsOverTheLineAsEdited) {
    using Lines = std::vector<std::string>;
    const std::vector<std::pair<std::string, Lines>> cases = {
        {utf8(u8"山田川\x7f谷\n"), {utf8(u8"山田谷\n")}},
        {utf8(u8"太郎\x1b[D次\x1b[H前\x1bOF後\n"), {utf8(u8"前太次郎後\n")}},
        {"abc\x01\x1b[3~\x05\x08\n", {"b\n"}},  // Ctrl-A, Delete, Ctrl-E, Ctrl-H
        {"ab\x1b[A\x1b[5~\x1b[15;2~\x1bOP\x1bx\x07\x0b\x1b\x1b[Dc\n", {"acb\n"}},
        {"abc\025de\r", {"de\n"}},               // Ctrl-U; Enter as CR
        {"a\tb\n", {"a\tb\n"}},                  // a Tab stays what it is
        {utf8(u8"xé\x7f\n"), {"x\n"}},           // a mark goes with its letter
        {utf8(u8"\u0301x\n"), {"x\n"}},          // a mark on nothing
        {"\xff\xe5\x8f\n", {"\xff\xe5\x8f\n"}},  // broken, and cut short by Enter
        {utf8(u8"a\u0085b\x1bxc\x1b d\x1b[H\x1b[3;5~\n"),
         {"bcd\n"}},                             // a C1 control; Alt; Ctrl-Delete
        {"x\xcd\xb8\x7f\n", {"x\n"}},            // a code point of no known width takes a column
        {"\xe5\x8f\x1b[Dx\n", {"\xe5x\x8f\n"}},  // cut short by a key: two broken ones
        {"a\nb\004\004\004c\n",
         {"a\n", "b", "<end>", "<end>", "c\n"}},  // Ctrl-D hands over, or ends
        {"\x1b[1\n", {"\n"}},                     // a sequence cut short by Enter
        {std::string(5000, 'a') + "\n", {std::string(LineEditor::longest_line, 'a') + "\n"}},
        {std::string(LineEditor::longest_line, 'a') + "\x7f\x7f" + "bc\n",
         {std::string(LineEditor::longest_line - 2, 'a') + "bc\n"}},  // room again once erased
        {"\x7f"
         "a\x7f\x7f"
         "bc\x1b[H\x1b[Cx\n",
         {"bxc\n"}},  // nothing to take; Right
    };
    for (const auto& [keys, handed] : cases) {
        for (const std::size_t piece : {keys.size(), std::size_t{1}, std::size_t{3}}) {
            EXPECT_EQ(lines(keys, piece), handed) << keys << " in pieces of " << piece;
        }
        EXPECT_EQ(lines(keys, keys.size(), false), handed) << keys << " with echo off";
    }
}

// A narrower screen: the line is laid out again, so Home then goes up all of its rows.
TEST(LineEditor, ResizeLaysTheLineOutAgain) {
    const auto characters = ScreenCharacters::open("UTF-8");
    LineEditor editor(*characters, true);
    editor.set_columns(20);
    editor.wrote(utf8(u8"名字："));
    std::string echo;
    editor.feed(std::string(20, 'a'), echo);
    echo = editor.resize(10);
    editor.feed("\x1b[H", echo);
    EXPECT_EQ(echo,
              "\r\x1b[1A\x1b[J" + utf8(u8"名字：") + std::string(20, 'a') + "\r\x1b[2A\x1b[6C");
}

// What goes to the screen after the story wrote "ab". Found by fuzzing: a mark typed after a
// Tab joined it, and the pair went to the screen as a raw Tab of no columns, which the
// terminal moved over on its own.
TEST(LineEditor, EchoesWhatTheScreenShows) {
    const auto characters = ScreenCharacters::open("UTF-8");
    for (const auto& [keys, shown] : std::vector<std::pair<std::string, std::string>>{
             {utf8(u8"\t\u0301x"), utf8(u8"      \b\b\b\b\b\b\x1b[J      \u0301x")},
             {"\xff\x7f", "?\b\x1b[J"},  // a broken byte is one column
         }) {
        LineEditor editor(*characters, true);
        editor.set_columns(20);
        editor.wrote("ab");
        std::string echo;
        editor.feed(keys, echo);
        EXPECT_EQ(echo, shown) << keys;
    }
}

}  // namespace
}  // namespace kurenagi::testing
