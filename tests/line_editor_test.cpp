// The line editor on its own: the lines it hands over for the keys typed, however the reads of
// the terminal cut them, and never a key past the line it hands over; and what the screen shows
// as it echoes them.

#include "terminal/line_editing/line_editor.hpp"

#include <gtest/gtest.h>

#include "screen_model.hpp"

namespace kurenagi::testing {
namespace {

std::string utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

// The editor on a screen `width` columns wide, below the story's `story` (which the editor
// hears of, unless the story goes elsewhere), fed keys in pieces of `piece` bytes; the rest of
// each piece is kept for the next line, as a terminal device keeps it. Every line it hands
// over is kept, "" for the end of the input.
struct Typed {
    Typed(int width, const std::string& story, bool heard = true)
        : editor(*characters, true), screen(width) {
        editor.set_columns(width);
        editor.await(Awaited::word);
        if (heard) {
            editor.wrote(story);
        }
        screen.show(story);
    }
    void type(const std::string& keys, std::size_t piece) {
        std::string typed;
        for (std::size_t at = 0; at < keys.size(); at += piece) {
            typed += keys.substr(at, piece);
            for (bool handed = true; handed;) {
                std::string echo;
                typed.erase(0, editor.feed(typed, echo));
                screen.show(echo);
                if ((handed = editor.has_line())) {
                    lines.push_back(editor.take_line());
                }
            }
        }
    }
    static inline const auto characters = ScreenCharacters::open("UTF-8");
    LineEditor editor;
    ScreenModel screen;
    std::vector<std::string> lines;
};

const std::string name = utf8(u8"名字：");  // six columns

TEST(LineEditor, HandsOverTheLineAsEdited) {
    using Lines = std::vector<std::string>;
    const std::vector<std::pair<std::string, Lines>> cases = {
        {utf8(u8"山田川\x7f谷\n"), {utf8(u8"山田谷\n")}},
        {utf8(u8"太郎\x1b[D次\x1b[H前\x1bOF後\n"), {utf8(u8"前太次郎後\n")}},
        {"abc\x01\x1b[3~\x05\x08\n", {"b\n"}},  // Ctrl-A, Delete, Ctrl-E, Ctrl-H
        {"ab\x1b[A\x1b[5~\x1b[15;2~\x1bOP\x1bx\x07\x0b\x1b\x1b[Dc\n", {"acb\n"}},
        {"abc\025de\r", {"de\n"}},               // Ctrl-U; Enter as CR
        {"a\tb\n", {"a\tb\n"}},                  // a Tab stays what it is
        {utf8(u8"xé\x7f\n"), {"\n"}},            // é is no character of the story's
        {utf8(u8"\u0301x\n"), {"x\n"}},          // a mark on nothing
        {"\xff\xe5\x8f\n", {"\xff\xe5\x8f\n"}},  // broken, and cut short by Enter
        {utf8(u8"a\u0085b\x1bxc\x1b d\x1b[H\x1b[3;5~\n"),
         {"bcd\n"}},                             // a C1 control; Alt; Ctrl-Delete
        {"x\xcd\xb8\x7f\n", {"\n"}},             // nor a code point of no known width
        {"\xe5\x8f\x1b[Dx\n", {"\xe5x\x8f\n"}},  // cut short by a key: two broken ones
        {"a\nb\004\004\004c\n", {"a\n", "b", "", "", "c\n"}},  // Ctrl-D hands over, or ends
        {"\x1b[1\n", {"\n"}},                                  // a sequence cut short by Enter
        {"a\x1b[2@b\n", {"ab\n"}},                             // '@' ends a sequence too
        {"a\x1b[27;5;13~b\n", {"ab\n"}},    // a key of xterm's modifyOtherKeys: three parameters
        {"ab\x1b[1;5D\x1b[3~\n", {"b\n"}},  // Ctrl-Left, to the word's start
        {"  \x17x\n", {"x\n"}},             // Ctrl-W over blanks alone
        {"ab\x1b[3~c\x01\x1b[3~\n", {"bc\n"}},  // Delete at the end, then at the start
        {"c\x1b[1~b\x1b[7~a\x1b[4~d\x1b[H\x1b[8~e\n", {"abcde\n"}},  // Home and End, rxvt's too
        {std::string(5000, 'a') + "\n", {std::string(LineEditor::longest_line, 'a') + "\n"}},
        {"a\n" + std::string(5000, 'b') + "\n",
         {"a\n", std::string(LineEditor::longest_line, 'b') + "\n"}},  // each line has room
        {std::string(LineEditor::longest_line, 'a') + "\x7f\x7f" + "bc\n",
         {std::string(LineEditor::longest_line - 2, 'a') + "bc\n"}},  // room again once erased
        {"\177a\177\177\033[Dbc\033[H\033[Cx\n", {"bxc\n"}},  // nothing to take or pass; Right
        // Words: Ctrl-W and Alt-Backspace, Alt-B and Ctrl-Left, Ctrl-Right, Alt-Left, Alt-F.
        {"ab cd  \x17x\n", {"ab x\n"}},
        {"ab cd\x1b\x7f\x1b\x08x\n", {"x\n"}},
        {"ab cd\x1b"
         "bX\x1b[1;5CY\x1b[1;3DZ\x1b"
         "fW\n",
         {"ab ZXcdYW\n"}},
        // History, newest first; Down comes back to the line being typed.
        {"a\nb\n\x1b[A\x1b[A\x1b[A\n", {"a\n", "b\n", "a\n"}},
        {"a\nq\x1bOAx\x1b[B\x1b[B\n", {"a\n", "q\n"}},
        {"a\n\n\x1b[A\x1b[A\x7f\n", {"a\n", "\n", "\n"}},  // an empty line is not kept
        // What terminals send that is no key: its strings, to BEL or ST, and X10 mouse reports.
        {"a\x1b]11;rgb:0/0/0\ab\x1bP1$r0m\x1b\\c\x1b[M !!d\x1b_x\x1b\\\x1b^y\x18\x1bXz\ae\n",
         {"abcde\n"}},
        {"a\x1b]x\nb\n", {"a\n", "b\n"}},  // Enter, which no string holds
        {"\x1b]" + std::string(1100, 'x') + "\n", {std::string(76, 'x') + "\n"}},
        // Only what the story can hold, in the form it will repeat; a kana and its mark as one.
        {utf8(u8"𠮷田山😀田〜−¢\n"), {utf8(u8"田山田～－￠\n")}},
        {utf8(u8"か\u3099ハ\u309Aう\u3099ウ\u3099\n"), {utf8(u8"がパうヴ\n")}},
    };
    for (const auto& [keys, handed] : cases) {
        for (const std::size_t piece : {keys.size(), std::size_t{1}, std::size_t{3}}) {
            Typed typed(20, name);
            typed.type(keys, piece);
            EXPECT_EQ(typed.lines, handed) << keys << " in pieces of " << piece;
        }
    }
}

// What the screen shows, and where the cursor stands, once the story wrote `story` and the
// player typed `keys` on a screen `width` columns wide.
TEST(LineEditor, ScreenShowsTheLineAsEdited) {
    // The screen's width, the story, the keys, and the rows and the cursor they leave.
    using Case =
        std::tuple<int, std::string, std::string, std::vector<std::string>, std::pair<int, int>>;
    const auto with_name = [&](std::u8string_view text) { return name + utf8(text); };
    const std::string shell = "$ kurenagi >story\n";  // the story goes to a file
    const std::vector<Case> cases = {
        {20, name, "", {name}, {0, 6}},
        {20, shell, "\x1b[Hab", {"$ kurenagi >story", "ab"}, {1, 2}},
        {20, name, utf8(u8"山田\x1b[D川"), {with_name(u8"山川田")}, {0, 10}},
        {20, name, utf8(u8"山田\x7f"), {with_name(u8"山")}, {0, 8}},
        {10, name, utf8(u8"あいう"), {with_name(u8"あい"), utf8(u8"う")}, {1, 2}},
        // A wide character that does not fit in the last column starts the next row.
        {9, name, utf8(u8"あい"), {with_name(u8"あ"), utf8(u8"い")}, {1, 2}},
        {9, name, utf8(u8"あい\x1b[H\x1b[3~"), {with_name(u8"い")}, {0, 6}},
        {10, name, utf8(u8"あいうa\x1b[H\x1b[3~"), {with_name(u8"いう"), "a"}, {0, 6}},
        {10, name, utf8(u8"あいうえ\x1b[H\x1b[F"), {with_name(u8"あい"), utf8(u8"うえ")}, {1, 4}},
        {10, name, utf8(u8"あいうえ\x15"), {name}, {0, 6}},
        {10, name, utf8(u8"あいうえ\x1b[H\n"), {with_name(u8"あい"), utf8(u8"うえ")}, {2, 0}},
        // A line that ends at the margin: the wrap is still to come, also after moving back.
        {10, name, utf8(u8"あい\x1b[D\x1b[F"), {with_name(u8"あい")}, {0, 10}},
        {10, name, utf8(u8"あいう\x7fえ"), {with_name(u8"あい"), utf8(u8"え")}, {1, 2}},
        {10, name, utf8(u8"あい\x1b[D\x7f"), {with_name(u8"い")}, {0, 6}},
        // A Tab reaches the next tab stop, or the end of the row; a mark after it keeps it blank.
        {20, "ab", "\tx", {"ab      x"}, {0, 9}},
        {10, "abcdefghi", "\tx", {"abcdefghi", "x"}, {1, 1}},
        {20, "ab", utf8(u8"\t\u0301x"), {"ab      x"}, {0, 9}},
        {20, name, "\xff", {name + "?"}, {0, 7}},  // a broken byte shows as what it becomes
        {20, name, "\xe5\x8f\x1b[A", {name + "??"}, {0, 8}},        // and at once, cut short
        {20, name, utf8(u8"e\u0301"), {with_name(u8"e")}, {0, 7}},  // a mark the story lacks
        {20, name, utf8(u8"山\n"), {with_name(u8"山")}, {1, 0}},
        // After Enter the next line starts at the next row's first column, with or without a
        // prompt written before it (an empty line at a menu is answered by nothing).
        {20, name, "ab\ncd", {name + "ab", "cd"}, {1, 2}},
        {10, name, "\nabcdef\x1b[Hx", {name, "xabcdef"}, {1, 1}},
        // Ctrl-D hands "ab" over: it is the story's now, and Backspace cannot take it back.
        {20, name, "ab\004cd\177\177\177", {name + "ab"}, {0, 8}},
        {10, name, "ab cdef\x17x", {with_name(u8"ab x")}, {0, 10}},
        {10, name, "ab\n\x1b[A", {name + "ab", "ab"}, {1, 2}},
    };
    for (const auto& [width, story, keys, rows, cursor] : cases) {
        for (const std::size_t piece : {keys.size(), std::size_t{1}, std::size_t{3}}) {
            SCOPED_TRACE(keys + " in pieces of " + std::to_string(piece));
            Typed typed(width, story, story != shell);
            typed.type(keys, piece);
            EXPECT_EQ(typed.screen.rows(), rows);
            EXPECT_EQ(typed.screen.cursor(), cursor);
            EXPECT_EQ(typed.screen.garbled, 0);
            if ((story + keys).find('\n') != std::string::npos) {
                continue;  // the screen holds the rows of lines handed over
            }
            // Drawn afresh after a stop and `fg`, the line shows the same; laid out again on a
            // window resized without rewrapping, once the terminal has said where its cursor
            // is, as if it had been typed there.
            ScreenModel afresh(width);
            afresh.show(typed.editor.redraw());
            EXPECT_EQ(afresh, typed.screen);
            for (const int to : {width - 3, width + 7}) {
                Typed resized(width, story);
                Typed there(to, story);
                resized.type(keys, piece);
                there.type(keys, piece);
                resized.screen.resize(to);
                EXPECT_EQ(resized.editor.resize(to, true), "\x1b[6n");
                const auto [row, column] = resized.screen.cursor();
                resized.type(
                    "\x1b[" + std::to_string(row + 1) + ';' + std::to_string(column + 1) + 'R',
                    std::max<std::size_t>(piece, 1));
                EXPECT_EQ(resized.screen, there.screen) << to;
                Typed unasked(width, story);  // a terminal that cannot be asked: redrawn at once
                unasked.type(keys, piece);
                unasked.screen.resize(to);
                unasked.screen.show(unasked.editor.resize(to, false));
                EXPECT_EQ(unasked.screen, there.screen) << to << ", not asked";
            }
        }
    }
}

}  // namespace
}  // namespace kurenagi::testing
