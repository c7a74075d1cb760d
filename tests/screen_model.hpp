#pragma once

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace kurenagi::testing {

// A terminal's screen as the line editor's echo meets it, in UTF-8: rows of cells and a cursor;
// characters as wide as terminals make them (two columns for East Asian wide ones; a combining
// mark joins the character before it); automatic margins, with the wrap still to come while the
// cursor stands just past the last column; and the controls the editor writes: BS, CR, LF (as
// the terminal's output processing makes it, CR LF) and CSI n A, B, C and J. A resize keeps
// the rows and cuts them, as terminals that do not rewrap do. What it cannot take is `garbled`.
class ScreenModel {
public:
    explicit ScreenModel(int width) : width_(width) {}

    void show(std::string_view bytes) {
        while (!bytes.empty()) {
            if (bytes.starts_with("\x1b[")) {
                bytes.remove_prefix(control_sequence(bytes.substr(2)) + 2);
            } else if (bytes[0] == '\b' || bytes[0] == '\r' || bytes[0] == '\n') {
                row_ += bytes[0] == '\n' ? 1 : 0;
                column_ = bytes[0] == '\b' ? std::max(0, on_screen() - 1) : 0;
                bytes.remove_prefix(1);
            } else {
                bytes.remove_prefix(character(bytes));
            }
        }
    }

    void resize(int width) {
        width_ = width;
        for (auto& row : rows_) {
            row.resize(static_cast<std::size_t>(width));
        }
        column_ = std::min(column_, width - 1);
    }

    // Each row as it reads, without the blanks at its end, and without blank rows below.
    [[nodiscard]] std::vector<std::string> rows() const {
        std::vector<std::string> text;
        for (const auto& row : rows_) {
            std::string line;
            for (const auto& cell : row) {
                line += cell == wide_tail ? "" : cell.empty() ? " " : cell;
            }
            text.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
        }
        while (!text.empty() && text.back().empty()) {
            text.pop_back();
        }
        return text;
    }

    // Where the cursor stands: a row, and a column (the width itself while the wrap waits).
    [[nodiscard]] std::pair<int, int> cursor() const { return {row_, column_}; }

    bool operator==(const ScreenModel& other) const {
        return rows() == other.rows() && cursor() == other.cursor();
    }

    int garbled = 0;  // bytes that are neither a character nor a control the editor writes

private:
    static inline const std::string wide_tail{'\0'};  // the second column of a wide character

    [[nodiscard]] int on_screen() const { return std::min(column_, width_ - 1); }

    // CSI n A, B, C or J: how many bytes it took after the CSI.
    std::size_t control_sequence(std::string_view rest) {
        const std::size_t end = std::min(rest.find_first_not_of("0123456789"), rest.size());
        int count = 1;
        std::from_chars(rest.data(), rest.data() + end, count);
        count = std::max(1, count);
        const char final = end < rest.size() ? rest[end] : '\0';
        const int at = on_screen();
        if (final == 'A' || final == 'B') {
            row_ = std::max(0, row_ + (final == 'A' ? -count : count));
            column_ = at;
        } else if (final == 'C') {
            column_ = std::min(at + count, width_ - 1);
        } else if (final == 'J' && end == 0) {
            rows_.resize(std::min(rows_.size(), static_cast<std::size_t>(row_) + 1));
            if (row_ < static_cast<int>(rows_.size())) {
                std::fill(rows_[row_].begin() + at, rows_[row_].end(), "");
            }
        } else {
            ++garbled;
        }
        return std::min(end + 1, rest.size());
    }

    // One UTF-8 character put where the cursor is: how many bytes it took.
    std::size_t character(std::string_view bytes) {
        static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        const locale_t own = uselocale(unicode);
        wchar_t decoded = 0;
        const std::size_t length = std::mbrtowc(&decoded, bytes.data(), bytes.size(), nullptr);
        const int columns = wcwidth(decoded);
        uselocale(own);
        const bool control = decoded < 0x20 || (decoded >= 0x7F && decoded < 0xA0);
        if (length == 0 || length > bytes.size() || control) {
            ++garbled;
            return 1;
        }
        // A character newer than the C library's tables takes one column, as terminals give it.
        put(std::string(bytes.substr(0, length)), columns < 0 ? 1 : columns);
        return length;
    }

    void put(const std::string& text, int columns) {
        if (columns == 0) {  // a mark, on the character before the cursor, wide or not
            const int before = std::max(0, column_ - 1);
            auto& row = this->row();
            row[before - (before > 0 && row[before] == wide_tail ? 1 : 0)] += text;
            return;
        }
        if (column_ + columns > width_) {
            row_ += 1;
            column_ = 0;
        }
        auto cell = row().begin() + column_;  // the editor draws only on cleared cells
        *cell = text;
        std::fill_n(cell + 1, columns - 1, wide_tail);
        column_ += columns;
    }

    std::vector<std::string>& row() {
        if (rows_.size() <= static_cast<std::size_t>(row_)) {
            rows_.resize(row_ + 1, std::vector<std::string>(width_));
        }
        return rows_[row_];
    }

    int width_;
    std::vector<std::vector<std::string>> rows_;
    int row_ = 0;
    int column_ = 0;
};

}  // namespace kurenagi::testing
