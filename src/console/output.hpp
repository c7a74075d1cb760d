#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "console/script_text.hpp"
#include "console/text_field.hpp"
#include "terminal/terminal.hpp"

namespace kurenagi {

// The console reads keys and hands screens over in pieces of what a pipe holds on Linux: the
// most one read can bring and one write can take without waiting.
inline constexpr std::size_t console_piece = std::size_t{64} * 1024;

// One value put into a text in place of its "%s" or "%d".
class FormatArg {
public:
    // Implicit on purpose: the story passes its fields and counters as they are.
    FormatArg(const TextField& field) : value_(text_of(field)) {}
    FormatArg(int number) : value_(number) {}

    void append_to(std::string& out) const;

private:
    std::variant<std::string_view, int> value_;
};

// Collects what the story writes and hands it to the terminal in few pieces: before the
// input waits for the player, when much has piled up, and at the end of the run.
class Output {
public:
    explicit Output(Terminal& terminal) : terminal_(terminal) {}

    // Writes one text; each "%s" or "%d" in it takes the next argument.
    template <class... Args>
    void say(TextFor<Args...> text, const Args&... args) {
        if constexpr (sizeof...(Args) == 0) {
            pending_ += text.view();  // most texts have no placeholder to fill
        } else {
            const std::array<FormatArg, sizeof...(Args)> values{FormatArg(args)...};
            format(text.view(), values);
        }
        // A pipe's worth holds every screen of a playthrough, and a flood of refused answers
        // never piles up more than that in memory.
        if (pending_.size() >= console_piece) {
            flush();
        }
    }

    void flush();

private:
    void format(std::string_view text, std::span<const FormatArg> args);

    Terminal& terminal_;
    std::string pending_;
};

}  // namespace kurenagi
