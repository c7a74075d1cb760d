#include "console/output.hpp"

#include <algorithm>

namespace kurenagi {
namespace {

// Where the next "%s" or "%d" starts, or npos if there is none.
std::size_t next_placeholder(std::string_view text, std::size_t from) {
    return std::min(text.find("%s", from), text.find("%d", from));
}

}  // namespace

void FormatArg::append_to(std::string& out) const {
    if (const auto* text = std::get_if<std::string_view>(&value_)) {
        out += *text;
        return;
    }
    out += std::to_string(std::get<int>(value_));
}

void Output::format(std::string_view text, std::span<const FormatArg> args) {
    // Plain text goes over in runs, from one placeholder to the next.
    // An argument with no placeholder left for it goes at the end.
    std::size_t run = 0;
    for (const FormatArg& arg : args) {
        const std::size_t at = std::min(next_placeholder(text, run), text.size());
        pending_.append(text, run, at - run);
        arg.append_to(pending_);
        run = std::min(at + 2, text.size());
    }
    pending_.append(text, run);
}

void Output::flush() {
    if (pending_.empty()) {
        return;
    }
    terminal_.write(pending_);
    pending_.clear();
}

}  // namespace kurenagi
