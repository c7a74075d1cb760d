#include "terminal/iconv_converter.hpp"

#include <array>
#include <cerrno>
#include <cstdio>

namespace kurenagi {
namespace {

bool failed(std::size_t result) { return result == static_cast<std::size_t>(-1); }

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
        const std::size_t skip = refused_length(in, in_left);
        out += '?';
        in += skip;
        in_left -= skip;
    }
    kept_.erase(0, kept_.size() - in_left);
    return out;
}

// One character decoded into room for exactly one: what it took is its length. A byte that
// starts no character at all is refused alone.
std::size_t IconvConverter::refused_length(char* at, std::size_t left) {
    char32_t one{};
    char* to = reinterpret_cast<char*>(&one);
    std::size_t in_left = left;
    std::size_t room = sizeof one;
    iconv(measure_.get(), &at, &in_left, &to, &room);
    const std::size_t length = left - in_left;
    return length == 0 ? 1 : length;
}

}  // namespace kurenagi
