#pragma once

#include <iconv.h>

#include <memory>
#include <string>
#include <string_view>

namespace kurenagi {

// One direction of conversion between two codesets, piece by piece. A character cut short at
// the end of a piece is kept until the rest comes with the next one; a character the other
// side lacks, or a broken one, becomes one "?", written in the codeset's initial shift state.
class IconvConverter {
public:
    // Null if the C library cannot convert from `from` to `to`.
    static std::unique_ptr<IconvConverter> open(const std::string& to, const std::string& from);

    // Converts `bytes` after whatever was kept from last time.
    std::string convert(std::string_view bytes);

    // What brings a stateful codeset (ISO-2022-JP and the like) back to its initial shift
    // state, so that whatever comes next on the screen, from the story or from the terminal's
    // own echo, reads as plain text. Empty for the codesets that have no state.
    std::string unshift();

    // What is left when no more pieces will come: a character cut short shows as "?".
    std::string finish();

private:
    using Handle = std::unique_ptr<void, int (*)(iconv_t)>;

    IconvConverter(Handle convert, Handle measure)
        : cd_(std::move(convert)), measure_(std::move(measure)) {}

    // Decoded with a length of 0, it is a character held back from the piece before that came
    // out first, alone.
    struct Character {
        std::size_t length;  // 0: cut short by the end of what there is
        bool refused;        // bytes that start no character
        bool decoded;        // it came out as a character, not a shift or a letter held back
    };

    Character measure(char* at, std::size_t left);
    std::string convert_one(char* character, std::size_t length, bool decoded);
    bool put(char** in, std::size_t* in_left, std::string& out);
    std::string give_out_held();
    std::string refused();

    Handle cd_;
    // From the same codeset to UTF-32, to tell where each character ends.
    Handle measure_;
    // A line feed that is a byte of its own, as in every codeset a locale names and unlike in
    // UTF-16, never continues a character.
    bool line_feed_alone_ = false;
    std::string kept_;
};

}  // namespace kurenagi
