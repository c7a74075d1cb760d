#include "console/output.hpp"

#include <charconv>

namespace kurenagi {
namespace {

bool is_placeholder(std::string_view text, std::size_t at) {
    return text[at] == '%' && at + 1 < text.size() && (text[at + 1] == 's' || text[at + 1] == 'd');
}

}  // namespace

void FormatArg::append_to(std::string& out) const {
    if (const auto* text = std::get_if<std::string_view>(&value_)) {
        out += *text;
        return;
    }
    std::array<char, 16> digits{};
    const auto result =
        std::to_chars(digits.data(), digits.data() + digits.size(), std::get<int>(value_));
    out.append(digits.data(), result.ptr);
}

void Output::format(std::string_view text, std::span<const FormatArg> args) {
    // Plain text goes over in runs, from one placeholder to the next.
    std::size_t run = 0;
    auto next = args.begin();
    for (std::size_t at = 0; next != args.end() && at < text.size(); ++at) {
        if (is_placeholder(text, at)) {
            pending_.append(text, run, at - run);
            next++->append_to(pending_);
            run = ++at + 1;
        }
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
