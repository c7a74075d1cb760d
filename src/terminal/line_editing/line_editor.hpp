#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "terminal/line_editing/key_parser.hpp"
#include "terminal/line_editing/screen_characters.hpp"
#include "terminal/terminal.hpp"

namespace kurenagi {

// A console's line editing, as the Windows console does it in its cooked mode, for a terminal
// that sends its keys as they are typed: the line is kept and echoed character by character,
// in the screen's codeset, and handed over only when Enter ends it. Keys move within the line
// by characters and words, insert and remove whole characters, and erase their columns,
// across the screen's right margin too; at a number or a word, Up and Down bring back the
// lines given there before. Pure: it reads nothing and writes nothing, it says what to echo.
class LineEditor {
public:
    // A line as a console keeps it: longer ones take no more characters.
    static constexpr std::size_t longest_line = 4095;

    LineEditor(ScreenCharacters& characters, bool echo) : characters_(characters), echo_(echo) {}

    // How wide the screen is; 0 if nobody knows, and then the line never wraps.
    void set_columns(int columns);

    // What the story wrote on the screen: the line being typed starts where it left off.
    void wrote(std::string_view bytes);

    // What the story waits for: history is for numbers and words, each its own; a line
    // recalled at a beat would skip as many beats as it has characters.
    void await(Awaited awaited) { awaited_ = awaited; }

    // Edits the line with the keys at the start of `keys`, up to the one that hands the line
    // over: Enter (the line with its line feed), or Ctrl-D (what was typed; nothing at all on
    // an empty line, which is the end of the input). Returns how many bytes it took; what the
    // screen is to show goes onto `echo`.
    std::size_t feed(std::string_view keys, std::string& echo);

    // Whether `feed` has ended a line, and that line, which is then gone from the editor.
    [[nodiscard]] bool has_line() const { return handed_over_; }
    std::string take_line();

    // An Esc with nothing after it: whether the next key belongs to it is for time to tell.
    // Once its wait is over, it was pressed alone, and clears the line as a console's does.
    [[nodiscard]] bool after_escape() const { return keys_.after_escape(); }
    std::string escape_alone();

    // What takes the cursor from where it stands to the start of a row of its own below the
    // line, leaving the line whole on the screen: for a stop, whose notice the shell writes there.
    [[nodiscard]] std::string leave() const;

    // The screen was cleared or reflowed under the line (a stop and `fg`, a new width): the
    // story's last line and the line being typed are drawn again from the cursor's new row.
    std::string redraw();

    // The window has `columns` now. A terminal that rewraps its lines (tmux, most of today's)
    // has moved the cursor, one that cuts them (xterm) has not, and nobody says which: where
    // `ask` allows, the editor asks the terminal where its cursor is, holds back its echo until
    // the report comes, and then draws the line again from where it starts, having erased
    // nothing above it. Without a report (`report_missing`, once the wait is over), or without
    // asking, it takes the terminal for one that cuts its lines.
    std::string resize(int columns, bool ask);
    [[nodiscard]] bool awaits_report() const { return report_for_ != 0; }
    std::string report_missing();

private:
    struct Cell {
        std::string bytes;  // a character with the marks that combine with it, or a Tab
        int columns;
        bool broken;  // a byte that starts no character, shown as the "?" it becomes
    };
    struct Position {
        int row;     // counted from the row the story's last line started on
        int column;  // the screen's width: just past its last column, the wrap still to come
        bool operator==(const Position&) const = default;
    };
    struct Placed {
        Position from;  // where drawing it starts: a wide character that does not fit
        Position at;    // where it stands, after any spaces that fill the row before it
        int columns;
    };
    struct Layout {
        std::vector<Placed> cells;
        Position end;
    };

    void catch_up_with_the_story();
    void press(Key key, char byte);
    void edit(Key key);
    void recall(int step);
    void set_line(std::string_view bytes);
    std::vector<std::string>& history() { return history_.at(awaited_ == Awaited::word ? 1 : 0); }
    [[nodiscard]] bool blank(std::size_t at) const;
    [[nodiscard]] std::size_t word_start() const;
    [[nodiscard]] std::size_t word_end() const;
    void type(char byte);
    void put(char byte);
    [[nodiscard]] std::string line() const;
    void insert(std::string bytes, int columns, bool broken);
    void erase(std::size_t cell);
    void take_partial_as_broken();
    void hand_over(bool with_line_feed);
    void reported(int row, int column);
    void without_report();
    void draw_again_from(int rows_up);
    void changed_from(std::size_t cell) { changed_ = std::min(changed_, cell); }

    [[nodiscard]] int width() const;
    [[nodiscard]] const Cell& cell(std::size_t at) const;
    void place_from(std::size_t first);
    void show();
    void draw(std::size_t first, std::size_t last);
    void go_to(std::size_t cell);
    void move(Position to);

    ScreenCharacters& characters_;
    bool echo_;
    int columns_ = 0;
    KeyParser keys_;
    std::string story_line_;    // what the story wrote since its last line feed
    bool story_wrote_ = false;  // since the prompt was measured
    std::vector<Cell> prompt_;  // the story's line, as cells
    std::vector<Cell> line_;
    std::size_t bytes_ = 0;  // in the line
    std::size_t cursor_ = 0;
    std::string partial_;  // a character cut short, the rest still to come
    // The screen: how many cells of the line it shows, where the story's line and those cells
    // stand, from which cell on the line differs from it, and where the terminal's cursor is.
    std::size_t drawn_ = 0;
    Layout layout_{{}, {0, 0}};
    std::size_t changed_ = 0;
    Position at_{0, 0};
    std::string echo_out_;  // what this feed has to show
    std::string line_out_;
    bool handed_over_ = false;
    // The lines given at numbers and at words, oldest first, and the line being typed while
    // one of them is recalled.
    Awaited awaited_ = Awaited::key;
    // The width a resize awaits the cursor's report for (0: none), and what the reports so far
    // have shown of the terminal: whether it rewraps its lines (unknown while 0).
    int report_for_ = 0;
    int rewraps_ = 0;
    std::array<std::vector<std::string>, 2> history_;
    std::size_t back_ = 0;  // how far back in it the line is: 0, the line being typed
    std::string typed_;
};

}  // namespace kurenagi
