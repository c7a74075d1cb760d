#include "terminal/iconv_converter.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

namespace kurenagi {
namespace {

bool failed(std::size_t result) { return result == static_cast<std::size_t>(-1); }

// Forgets every shift and every character half decoded, as if the conversion had just begun.
void start_afresh(iconv_t cd) { iconv(cd, nullptr, nullptr, nullptr, nullptr); }

}  // namespace

std::unique_ptr<IconvConverter> IconvConverter::open(const std::string& to,
                                                     const std::string& from) {
    const auto handle = [](const std::string& target, const std::string& source) {
        iconv_t cd = iconv_open(target.c_str(), source.c_str());
        // iconv_open tells failure by this one address.
        if (cd == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
            cd = nullptr;
        }
        return Handle(cd, iconv_close);
    };
    Handle convert = handle(to, from);
    Handle measure = handle("UTF-32LE", from);
    if (!convert || !measure) {
        return nullptr;
    }
    return std::unique_ptr<IconvConverter>(
        new IconvConverter(std::move(convert), std::move(measure)));
}

// Character by character, so that a refusal is always that of one known character: iconv
// may refuse a character before or after it has taken its bytes, and may hold half of one.
std::string IconvConverter::convert(std::string_view bytes) {
    kept_ += bytes;
    std::string out;
    char* at = kept_.data();
    for (std::size_t left = kept_.size(); left > 0;) {
        const Character next = measure(at, left);
        if (next.length == 0) {
            break;  // the rest of this character comes with the next piece
        }
        out += next.refused ? refused() : convert_one(at, next.length);
        at += next.length;
        left -= next.length;
    }
    kept_.erase(0, static_cast<std::size_t>(at - kept_.data()));
    return out;
}

std::string IconvConverter::convert_one(char* character, std::size_t length) {
    std::string out;
    for (;;) {
        std::array<char, 64> chunk;  // any size does: the loop goes on until all is done
        char* to = chunk.data();
        std::size_t room = chunk.size();
        const std::size_t result = iconv(cd_.get(), &character, &length, &to, &room);
        out.append(chunk.data(), to);
        if (!failed(result)) {
            return out;
        }
        if (errno != E2BIG) {
            return out + refused();
        }
    }
}

// One "?" in the initial shift state, and converters that start afresh after it.
std::string IconvConverter::refused() {
    std::string out = unshift();
    start_afresh(cd_.get());
    start_afresh(measure_.get());
    return out + '?';
}

std::string IconvConverter::unshift() {
    std::array<char, 64> chunk;  // a shift sequence is a few bytes
    char* to = chunk.data();
    std::size_t room = chunk.size();
    // Whatever cannot be written here (a character the other side lacks, held for a mark that
    // never came) is dropped: a refusal starts afresh after it, and the end needs nothing more.
    iconv(cd_.get(), nullptr, nullptr, &to, &room);
    return {chunk.data(), to};
}

std::string IconvConverter::finish() {
    std::string rest = kept_.empty() ? "" : "?";
    kept_.clear();
    return rest + unshift();
}

// The next character as the measuring converter, which keeps in step with the converting one,
// decodes it into room for exactly one: what it took is its length. A shift sequence counts
// as a character of its own; a byte that starts no character is refused alone.
IconvConverter::Character IconvConverter::measure(char* at, std::size_t left) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        char32_t one{};
        char* in = at;
        std::size_t in_left = left;
        char* to = reinterpret_cast<char*>(&one);
        std::size_t room = sizeof one;
        const std::size_t result = iconv(measure_.get(), &in, &in_left, &to, &room);
        const std::size_t length = left - in_left;
        // A decoder may take a character and then stop at a broken one after it.
        const bool refused = failed(result) && errno == EILSEQ && room > 0;
        if (length > 0 || refused || (failed(result) && errno == EINVAL)) {
            return {.length = refused ? std::max<std::size_t>(length, 1) : length,
                    .refused = refused};
        }
        // It gave the second half of a pair it held, which the converting one refused.
        start_afresh(measure_.get());
    }
    return {.length = 1, .refused = true};
}

}  // namespace kurenagi
