#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <type_traits>

#include "console/text_field.hpp"

namespace kurenagi {

namespace script_text {

template <class Arg>
consteval std::string_view placeholder_for() {
    static_assert(std::is_same_v<Arg, TextField> || std::is_same_v<Arg, int>,
                  "a text takes text fields (%s) and numbers (%d) only");
    return std::is_same_v<Arg, TextField> ? "%s" : "%d";
}

// Not constexpr on purpose: reaching it stops the compiler, and its name says why.
inline void placeholders_do_not_fit_the_arguments() {}

}  // namespace script_text

// A text of the script, which serves as its own format: each "%s" takes the next text field
// and each "%d" the next number. Checked when the game is compiled, so that a text with more
// or fewer placeholders than arguments, or with a placeholder of the wrong kind, is no game.
template <class... Args>
class ScriptText {
public:
    // Implicit on purpose: the story writes its texts as plain literals, which are arrays.
    template <std::size_t size>
    consteval ScriptText(const char (&text)[size])  // NOLINT(modernize-avoid-c-arrays)
        : text_(text, size - 1) {
        constexpr std::array<std::string_view, sizeof...(Args)> wanted{
            script_text::placeholder_for<Args>()...};
        std::size_t next = 0;
        for (std::size_t at = text_.find('%'); at != std::string_view::npos;
             at = text_.find('%', at + 2)) {
            if (next >= wanted.size() || text_.substr(at, 2) != wanted.at(next)) {
                script_text::placeholders_do_not_fit_the_arguments();
            }
            ++next;
        }
        if (next != wanted.size()) {
            script_text::placeholders_do_not_fit_the_arguments();
        }
    }

    [[nodiscard]] constexpr std::string_view view() const { return text_; }

private:
    std::string_view text_;
};

// The form a scene writes: the arguments decide which text fits them.
template <class... Args>
using TextFor = ScriptText<std::type_identity_t<Args>...>;

}  // namespace kurenagi
