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

    // `character`, with the marks typed after it, as the story will hold it and repeat it, in
    // the screen's codeset: a kana and a combining voiced or semi-voiced mark as one, and a
    // character that code page 932 holds in a form of its own (U+301C, U+2212 ...) in that form.
    // Empty for what code page 932 cannot hold.
    std::string as_the_story_holds(std::string_view character);

private:
    ScreenCharacters(void* decoder, void* to_story, void* to_screen)
        : decoder_(decoder), to_story_(to_story), to_screen_(to_screen) {}

    // iconv's: from the codeset to UTF-32, from UTF-32 to code page 932, and back to the codeset.
    void* decoder_;
    void* to_story_;
    void* to_screen_;
};

}  // namespace kurenagi
