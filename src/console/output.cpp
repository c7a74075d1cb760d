#include "console/output.hpp"

#include <algorithm>

namespace kurenagi {

void FormatArg::append_to(std::string& out) const {
    if (const auto* text = std::get_if<std::string_view>(&value_)) {
        out += *text;
        return;
    }
    out += std::to_string(std::get<int>(value_));
}

// Plain text goes over in runs, from one placeholder to the next; the text was checked to
// have one for each argument.
void Output::format(std::string_view text, std::span<const FormatArg> args) {
    std::size_t run = 0;
    for (const FormatArg& arg : args) {
        const std::size_t at = std::min(text.find("%s", run), text.find("%d", run));
        pending_.append(text, run, at - run);
        arg.append_to(pending_);
        run = at + 2;
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
