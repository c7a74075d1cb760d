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

std::string IconvConverter::convert(std::string_view bytes) {
    kept_ += bytes;
    std::string out;
    char* in = kept_.data();
    std::size_t in_left = kept_.size();
    // Where the last refusal started afresh. A refusal there again is the character at `in`
    // itself; a refusal elsewhere may also be one the converter held from before (glibc's
    // JIS X 0213 decoders hold the second half of a pair), which starting afresh drops.
    const char* fresh_at = nullptr;
    while (in_left > 0) {
        std::array<char, BUFSIZ> chunk;  // any size does: the loop goes on until all is done
        char* to = chunk.data();
        std::size_t room = chunk.size();
        const std::size_t result = iconv(cd_.get(), &in, &in_left, &to, &room);
        out.append(chunk.data(), to);
        if (!failed(result) || errno == E2BIG) {
            continue;
        }
        if (errno == EINVAL) {
            break;  // the rest of this character comes with the next piece
        }
        if (in == fresh_at) {
            const std::size_t skip = refused_length(in, in_left);
            in += skip;
            in_left -= skip;
        } else {
            out += refused();
            fresh_at = in;
        }
    }
    kept_.erase(0, kept_.size() - in_left);
    return out;
}

// One "?" in the initial shift state, and a converter that starts afresh after it.
std::string IconvConverter::refused() {
    std::string out = unshift();
    start_afresh(cd_.get());
    return out + '?';
}

std::string IconvConverter::unshift() {
    std::array<char, 64> chunk;  // a shift sequence is a few bytes
    char* to = chunk.data();
    std::size_t room = chunk.size();
    // A shift held for a character the other side lacks cannot be written: then it is dropped.
    if (failed(iconv(cd_.get(), nullptr, nullptr, &to, &room))) {
        start_afresh(cd_.get());
    }
    return {chunk.data(), to};
}

std::string IconvConverter::finish() {
    std::string rest = kept_.empty() ? "" : "?";
    kept_.clear();
    return rest + unshift();
}

// One character decoded into room for exactly one: what it took is its length. A byte that
// starts no character at all is refused alone.
std::size_t IconvConverter::refused_length(char* at, std::size_t left) {
    start_afresh(measure_.get());
    char32_t one{};
    char* to = reinterpret_cast<char*>(&one);
    std::size_t in_left = left;
    std::size_t room = sizeof one;
    iconv(measure_.get(), &at, &in_left, &to, &room);
    return std::max<std::size_t>(left - in_left, 1);
}

}  // namespace kurenagi
