#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kurenagi {

// The characters of a screen's codeset as the line editor sees them: where each ends, and how
// many columns a terminal gives it (two for East Asian wide and full-width characters, none
// for a combining mark, one otherwise).
class ScreenCharacters {
public:
    struct Character {
        std::size_t length;  // 0: cut short, the rest is still to come
        int columns;         // -1: a control character, which is no part of a line
        bool broken;         // a byte that starts no character
    };

    // Null if the C library cannot read `codeset`.
    static std::unique_ptr<ScreenCharacters> open(const std::string& codeset);

    ScreenCharacters(const ScreenCharacters&) = delete;
    ScreenCharacters& operator=(const ScreenCharacters&) = delete;
    ~ScreenCharacters();

    // The character at the start of `bytes`. A byte that starts no character is one of its own,
    // broken, shown in one column.
    Character next(std::string_view bytes);

private:
    explicit ScreenCharacters(void* decoder) : decoder_(decoder) {}

    void* decoder_;  // iconv's, from the codeset to UTF-32
};

}  // namespace kurenagi
