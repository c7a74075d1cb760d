#include "terminal/line_editing/line_editor.hpp"

#include <climits>
#include <cstdlib>
#include <utility>

namespace kurenagi {
namespace {

constexpr int tab_stop = 8;
constexpr std::string_view clear_below = "\x1B[J";

std::string csi(int count, char final) { return "\x1B[" + std::to_string(count) + final; }

}  // namespace

void LineEditor::set_columns(int columns) { columns_ = columns; }

void LineEditor::wrote(std::string_view bytes) {
    const auto line_feed = bytes.rfind('\n');
    if (line_feed != std::string_view::npos) {
        story_line_.clear();
        bytes.remove_prefix(line_feed + 1);
    }
    story_line_ += bytes;
    story_wrote_ = true;
}

// The story's line as cells, and the cursor where the story left it.
void LineEditor::catch_up_with_the_story() {
    if (!story_wrote_) {
        return;
    }
    story_wrote_ = false;
    prompt_.clear();
    for (std::string_view rest = story_line_; !rest.empty();) {
        const auto [length, columns, broken] = characters_.next(rest);
        const std::size_t taken = std::max<std::size_t>(length, 1);
        prompt_.push_back({std::string(rest.substr(0, taken)), std::max(columns, 0), broken});
        rest.remove_prefix(std::min(taken, rest.size()));
    }
    place_from(0);
    at_ = layout_.end;
}

std::size_t LineEditor::feed(std::string_view keys, std::string& echo) {
    catch_up_with_the_story();
    echo_out_.clear();
    std::size_t used = 0;
    while (used < keys.size() && !handed_over_) {
        const char byte = keys[used++];
        if (const auto key = keys_.take(byte)) {
            press(*key, byte);
        }
    }
    if (echo_) {
        echo += echo_out_;
    }
    return used;
}

std::string LineEditor::take_line() {
    handed_over_ = false;
    return std::exchange(line_out_, {});
}

std::string LineEditor::escape_alone() {
    echo_out_.clear();
    press(keys_.escape_alone(), '\x1B');
    return echo_ ? std::exchange(echo_out_, {}) : "";
}

void LineEditor::press(Key key, char byte) {
    if (key == Key::text) {
        type(byte);
        return;
    }
    take_partial_as_broken();
    switch (key) {
        case Key::enter:
            hand_over(true);
            return;
        case Key::end_of_input:
            hand_over(false);
            return;
        case Key::up:
        case Key::down:
            recall(key == Key::up ? 1 : -1);
            break;
        case Key::cursor_report:
            if (report_for_ != 0) {
                const auto [row, column] = keys_.report();
                reported(row, column);
            }
            return;
        case Key::text:
        case Key::nothing:
            return;
        default:
            edit(key);
            break;
    }
    show();
}

void LineEditor::edit(Key key) {
    std::size_t from = cursor_;
    switch (key) {
        case Key::backspace:
            if (cursor_ > 0) {
                erase(--cursor_);
            }
            break;
        case Key::delete_forward:
            if (cursor_ < line_.size()) {
                erase(cursor_);
            }
            break;
        case Key::left:
            cursor_ -= cursor_ > 0 ? 1 : 0;
            break;
        case Key::right:
            cursor_ += cursor_ < line_.size() ? 1 : 0;
            break;
        case Key::home:
            cursor_ = 0;
            break;
        case Key::end:
            cursor_ = line_.size();
            break;
        case Key::clear_line:
        case Key::escape:
            set_line({});
            break;
        case Key::word_back:
            cursor_ = word_start();
            break;
        case Key::delete_word_back:
            for (cursor_ = word_start(); from > cursor_; --from) {
                erase(cursor_);
            }
            break;
        case Key::word_forward:
            cursor_ = word_end();
            break;
        default:
            break;
    }
}

// A word is a run of characters that are not blanks, as a shell's line editor has it: where
// the one before the cursor starts, and where the one after it ends.
bool LineEditor::blank(std::size_t at) const {
    const char first = line_[at].bytes.front();
    return first == ' ' || first == '\t';
}

std::size_t LineEditor::word_start() const {
    std::size_t at = cursor_;
    while (at > 0 && blank(at - 1)) {
        --at;
    }
    while (at > 0 && !blank(at - 1)) {
        --at;
    }
    return at;
}

std::size_t LineEditor::word_end() const {
    std::size_t at = cursor_;
    while (at < line_.size() && blank(at)) {
        ++at;
    }
    while (at < line_.size() && !blank(at)) {
        ++at;
    }
    return at;
}

// One line further back in the history (1) or forward (-1); the newest line forward is the one
// being typed, as it was left.
void LineEditor::recall(int step) {
    if (awaited_ == Awaited::key) {
        return;
    }
    const auto& lines = history();
    if ((step < 0 && back_ == 0) || (step > 0 && back_ == lines.size())) {
        return;
    }
    if (back_ == 0) {
        typed_ = line();
    }
    back_ = step > 0 ? back_ + 1 : back_ - 1;
    set_line(back_ == 0 ? typed_ : lines[lines.size() - back_]);
}

// The line holds `bytes` instead, the cursor at its end.
void LineEditor::set_line(std::string_view bytes) {
    line_.clear();
    bytes_ = 0;
    cursor_ = 0;
    partial_.clear();
    for (const char byte : bytes) {
        put(byte);
    }
}

std::string LineEditor::line() const {
    std::string bytes;
    for (const Cell& cell : line_) {
        bytes += cell.bytes;
    }
    return bytes;
}

// A byte of a character: the character goes into the line once it is whole. A Tab is a
// character of its own, as wide as the way to the next tab stop.
void LineEditor::type(char byte) {
    put(byte);
    show();
}

void LineEditor::put(char byte) {
    if (byte == '\t') {
        take_partial_as_broken();
        insert("\t", 0, false);
        return;
    }
    partial_ += byte;
    while (!partial_.empty()) {
        const auto [length, columns, broken] = characters_.next(partial_);
        if (length == 0) {
            break;  // the rest of it comes with the next key
        }
        insert(partial_.substr(0, length), columns, broken);
        partial_.erase(0, length);
    }
}

// A character goes in as the story will hold it, and one the story cannot hold stays out; a
// combining mark goes with the character before it, which the two then make together. A
// control character is no part of a line, and a line that is full takes nothing more.
void LineEditor::insert(std::string bytes, int columns, bool broken) {
    const bool mark = columns == 0 && bytes != "\t";
    if (columns < 0 || (mark && cursor_ == 0)) {
        return;
    }
    const std::size_t with = mark ? cursor_ - 1 : cursor_;
    const std::size_t replaced = mark ? line_[with].bytes.size() : 0;
    if (!broken && bytes != "\t") {
        bytes = characters_.as_the_story_holds(mark ? line_[with].bytes + bytes : bytes);
        if (bytes.empty()) {
            return;
        }
        columns = characters_.next(bytes).columns;
    }
    if (bytes_ - replaced + bytes.size() > longest_line) {
        return;
    }
    bytes_ += bytes.size() - replaced;
    changed_from(with);
    if (mark) {
        line_[with] = Cell{std::move(bytes), columns, false};
        return;
    }
    line_.insert(line_.begin() + static_cast<std::ptrdiff_t>(cursor_++),
                 Cell{std::move(bytes), columns, broken});
}

void LineEditor::erase(std::size_t cell) {
    bytes_ -= line_[cell].bytes.size();
    line_.erase(line_.begin() + static_cast<std::ptrdiff_t>(cell));
    changed_from(cell);
}

// A key that is no text interrupts a character cut short: its bytes are broken, one each.
void LineEditor::take_partial_as_broken() {
    if (partial_.empty()) {
        return;
    }
    for (const char byte : std::exchange(partial_, {})) {
        insert(std::string(1, byte), 1, true);
    }
    show();
}

// Enter leaves the cursor at the start of the next row, as a console's echo does; Ctrl-D leaves
// what was typed on the screen, where the next line goes on from it.
void LineEditor::hand_over(bool with_line_feed) {
    without_report();  // the line goes to the story as it will be shown
    cursor_ = line_.size();
    show();
    line_out_ = line();
    if (with_line_feed) {
        if (awaited_ != Awaited::key && !line_out_.empty()) {
            history().push_back(line_out_);
        }
        line_out_ += '\n';
        echo_out_ += '\n';
        story_line_.clear();
        story_wrote_ = true;
    } else {
        // The cells stay as they are shown, the story's line now.
        story_line_ += line_out_;
        prompt_.insert(prompt_.end(), line_.begin(), line_.end());
    }
    line_.clear();
    bytes_ = 0;
    drawn_ = 0;
    changed_ = 0;
    cursor_ = 0;
    back_ = 0;
    handed_over_ = true;
}

std::string LineEditor::leave() const {
    if (!echo_) {
        return {};
    }
    std::string leave(1, '\r');
    if (const int down = layout_.end.row - at_.row; down > 0) {
        leave += csi(down, 'B');
    }
    leave += '\n';
    return leave;
}

std::string LineEditor::redraw() {
    catch_up_with_the_story();
    echo_out_.assign(1, '\r');
    at_ = {0, 0};
    place_from(0);
    draw(0, prompt_.size() + line_.size());
    drawn_ = line_.size();
    changed_ = drawn_;
    go_to(prompt_.size() + cursor_);
    return echo_ ? std::exchange(echo_out_, {}) : "";
}

std::string LineEditor::resize(int columns, bool ask) {
    catch_up_with_the_story();
    echo_out_.clear();
    if (ask && echo_) {
        report_for_ = columns;
        return "\x1B[6n";
    }
    set_columns(columns);
    draw_again_from(at_.row);
    return echo_ ? std::exchange(echo_out_, {}) : "";
}

std::string LineEditor::report_missing() {
    echo_out_.clear();
    without_report();
    return std::exchange(echo_out_, {});
}

void LineEditor::without_report() {
    if (report_for_ != 0) {
        set_columns(std::exchange(report_for_, 0));
        draw_again_from(at_.row);
    }
}

// Where the cursor would stand had the terminal cut its rows, and where had it wrapped the line
// again at the new width: the report's column tells them apart, and the first report that
// does says for the rest of the run. Where it cannot tell, it takes the one that moves up
// less, which erases nothing above the line. Wrapped again, the story's line stands as the
// terminal laid it out, and only the line being typed is drawn again; cut, all of it is.
void LineEditor::reported(int row, int column) {
    const int width = std::exchange(report_for_, 0);
    const int cut = std::min(at_.column, width - 1);
    set_columns(width);
    place_from(0);
    const std::size_t at = prompt_.size() + cursor_;
    const Position wrapped = at < layout_.cells.size() ? layout_.cells[at].at : layout_.end;
    const int rewrapped = std::min(wrapped.column, width - 1);
    if (column - 1 != cut || column - 1 != rewrapped) {
        rewraps_ = column - 1 == rewrapped ? 1 : column - 1 == cut ? -1 : rewraps_;
    }
    if (rewraps_ > 0 || (rewraps_ == 0 && wrapped.row <= at_.row)) {
        at_ = wrapped;
        changed_ = 0;
        show();
        return;
    }
    draw_again_from(std::min(at_.row, row - 1));
}

// From the start of the row `rows_up` above the cursor, where the story's line starts:
// everything below is cleared, and drawn again at the width there is now.
void LineEditor::draw_again_from(int rows_up) {
    std::string out = std::exchange(echo_out_, {});
    out += '\r';
    if (rows_up > 0) {
        out += csi(rows_up, 'A');
    }
    out += clear_below;
    out += redraw();
    echo_out_ = std::move(out);
}

int LineEditor::width() const { return columns_ > 1 ? columns_ : INT_MAX / 2; }

const LineEditor::Cell& LineEditor::cell(std::size_t at) const {
    return at < prompt_.size() ? prompt_[at] : line_[at - prompt_.size()];
}

// The story's line and then the line being typed, cell by cell from `first` on, as a terminal
// with automatic margins puts them: a character that does not fit in what is left of a row
// goes to the next one, after spaces that fill the row; a Tab reaches the next tab stop, or the
// end of the row.
void LineEditor::place_from(std::size_t first) {
    const int width = this->width();
    layout_.cells.resize(first);
    Position& next = layout_.end;
    next = first == 0 ? Position{0, 0}
                      : Position{layout_.cells.back().at.row,
                                 layout_.cells.back().at.column + layout_.cells.back().columns};
    for (std::size_t at = first; at < prompt_.size() + line_.size(); ++at) {
        if (next.column >= width) {
            next = {next.row + 1, 0};
        }
        const Position from = next;
        const int columns = cell(at).bytes.front() == '\t'
                                ? std::min(tab_stop - next.column % tab_stop, width - next.column)
                                : cell(at).columns;
        if (next.column + columns > width) {
            next = {next.row + 1, 0};
        }
        layout_.cells.push_back({from, next, columns});
        next.column += columns;
    }
}

// Brings the screen from the line drawn to the line as it is, and the cursor to its place:
// what changed is cleared from its first cell on and drawn again.
void LineEditor::show() {
    if (report_for_ != 0) {
        return;  // the line is drawn again whole once the cursor's report has come
    }
    const std::size_t story = prompt_.size();
    const std::size_t first = std::min({changed_, drawn_, line_.size()});
    if (first < drawn_) {
        move(layout_.cells[story + first].from);
        echo_out_ += clear_below;
    }
    place_from(story + first);
    draw(story + first, story + line_.size());
    drawn_ = line_.size();
    changed_ = drawn_;
    go_to(story + cursor_);
}

// Draws cells `first` to `last`, from where the first one starts.
void LineEditor::draw(std::size_t first, std::size_t last) {
    for (std::size_t at = first; at < last; ++at) {
        const Placed& placed = layout_.cells[at];
        if (placed.from != placed.at) {
            echo_out_.append(static_cast<std::size_t>(width() - placed.from.column), ' ');
        }
        if (cell(at).bytes.front() == '\t') {  // with any marks typed after it
            echo_out_.append(static_cast<std::size_t>(placed.columns), ' ');
            echo_out_.append(cell(at).bytes, 1);
        } else {
            echo_out_ += cell(at).broken ? "?" : cell(at).bytes;
        }
        at_ = {placed.at.row, placed.at.column + placed.columns};
    }
}

// To the cell's place, or the end. An end just past the last column, where the wrap is still
// to come, is reached only by drawing the last character again.
void LineEditor::go_to(std::size_t cell) {
    const Position to = cell < layout_.cells.size() ? layout_.cells[cell].at : layout_.end;
    if (to == at_) {
        return;
    }
    if (to.column >= width()) {
        move(layout_.cells.back().from);
        draw(layout_.cells.size() - 1, layout_.cells.size());
        return;
    }
    move(to);
}

// Back within the row by backspaces; anywhere else from the row's start, which also settles a
// wrap still to come.
void LineEditor::move(Position to) {
    if (to.row == at_.row && to.column < at_.column && at_.column < width()) {
        echo_out_.append(static_cast<std::size_t>(at_.column - to.column), '\b');
    } else {
        echo_out_ += '\r';
        if (to.row != at_.row) {
            echo_out_ += csi(std::abs(to.row - at_.row), to.row < at_.row ? 'A' : 'B');
        }
        if (to.column > 0) {
            echo_out_ += csi(to.column, 'C');
        }
    }
    at_ = to;
}

}  // namespace kurenagi
