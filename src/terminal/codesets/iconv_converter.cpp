#include "terminal/codesets/iconv_converter.hpp"

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
    std::unique_ptr<IconvConverter> converter(
        new IconvConverter(std::move(convert), std::move(measure)));
    // The decoder is left as it was: none of the C library's holds a line feed back.
    std::string line_feed = "\n";
    converter->line_feed_alone_ = converter->measure(line_feed.data(), line_feed.size()).decoded;
    return converter;
}

// Character by character, so that a refusal is always that of one known character: iconv
// may refuse a character before or after it has taken its bytes, and may hold one back.
std::string IconvConverter::convert(std::string_view bytes) {
    kept_ += bytes;
    std::string out;
    char* at = kept_.data();
    char* const end = at + kept_.size();
    while (at != end) {
        const Character next = measure(at, static_cast<std::size_t>(end - at));
        if (next.length == 0 && next.decoded) {
            out += give_out_held();  // the converting one holds that character too
            continue;
        }
        if (next.length == 0) {
            break;  // the rest of this character comes with the next piece
        }
        out += next.refused ? refused() : convert_one(at, next.length, next.decoded);
        at += next.length;
    }
    kept_.erase(0, static_cast<std::size_t>(at - kept_.data()));
    return out;
}

std::string IconvConverter::convert_one(char* character, std::size_t length, bool decoded) {
    std::string out;
    if (!put(&character, &length, out)) {
        return out + refused();
    }
    // Vietnamese and Hebrew decoders hold a letter back for a mark that may follow; the
    // measuring one saw what followed and gave the letter out, so this one must too.
    return decoded && out.empty() ? give_out_held() : out;
}

// One call of the converting one, onto `out`; without input, it gives out what it holds back,
// a shift or a letter waiting for its mark. False if that could not be written.
bool IconvConverter::put(char** in, std::size_t* in_left, std::string& out) {
    // One character, after a shift or a letter held back, is a few bytes.
    std::array<char, 64> chunk;
    char* to = chunk.data();
    std::size_t room = chunk.size();
    const bool written = !failed(iconv(cd_.get(), in, in_left, &to, &room));
    out.append(chunk.data(), to);
    return written;
}

// A letter held back that the other side lacks is refused as itself, never as the key after it.
std::string IconvConverter::give_out_held() {
    std::string out;
    return put(nullptr, nullptr, out) ? out : out + refused();
}

// One "?" in the initial shift state, and converters that start afresh after it.
std::string IconvConverter::refused() {
    std::string out = unshift();
    start_afresh(cd_.get());
    start_afresh(measure_.get());
    return out + '?';
}

std::string IconvConverter::unshift() {
    std::string out;
    // Whatever cannot be written here is dropped: a refusal starts afresh after it.
    static_cast<void>(put(nullptr, nullptr, out));
    return out;
}

std::string IconvConverter::finish() {
    std::string rest = kept_.empty() ? "" : "?";
    kept_.clear();
    return rest + give_out_held();
}

// The next character as the measuring converter, which keeps in step with the converting one,
// decodes it into room for exactly one: what it took is its length. A shift sequence counts
// as a character of its own; a byte that starts no character is refused alone.
IconvConverter::Character IconvConverter::measure(char* at, std::size_t left) {
    char32_t one{};
    char* in = at;
    std::size_t in_left = left;
    char* to = reinterpret_cast<char*>(&one);
    std::size_t room = sizeof one;
    const std::size_t result = iconv(measure_.get(), &in, &in_left, &to, &room);
    const std::size_t length = left - in_left;
    const bool decoded = room == 0;
    // A decoder may take a character and then stop at a broken one after it. Some wait for a
    // character's whole length before they look at its bytes: one cut short before a line feed
    // is as broken as they would find it with more, or the Enter would wait for the next key.
    const auto before_enter = [&] {
        return length == 0 && line_feed_alone_ &&
               std::string_view(at, left).find('\n') != std::string_view::npos;
    };
    const bool refused =
        failed(result) && !decoded && (errno == EILSEQ || (errno == EINVAL && before_enter()));
    return {.length = refused ? std::max<std::size_t>(length, 1) : length,
            .refused = refused,
            .decoded = decoded};
}

}  // namespace kurenagi
