#include "terminal/iconv_converter.hpp"

#include <array>
#include <cerrno>

namespace kurenagi {
namespace {

// iconv_open tells failure by this one address.
bool failed(iconv_t cd) {
    return cd == reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
}

bool failed(std::size_t result) { return result == static_cast<std::size_t>(-1); }

}  // namespace

std::unique_ptr<IconvConverter> IconvConverter::open(const std::string& to,
                                                     const std::string& from) {
    const iconv_t convert = iconv_open(to.c_str(), from.c_str());
    const iconv_t measure = iconv_open("UTF-32LE", from.c_str());
    if (failed(convert) || failed(measure)) {
        for (const iconv_t cd : {convert, measure}) {
            if (!failed(cd)) {
                iconv_close(cd);
            }
        }
        return nullptr;
    }
    return std::unique_ptr<IconvConverter>(new IconvConverter(convert, measure));
}

IconvConverter::~IconvConverter() {
    iconv_close(cd_);
    iconv_close(measure_);
}

std::string IconvConverter::convert(std::string_view bytes) {
    kept_ += bytes;
    std::string out;
    char* in = kept_.data();
    std::size_t in_left = kept_.size();
    while (in_left > 0) {
        std::array<char, 4096> chunk;
        char* to = chunk.data();
        std::size_t room = chunk.size();
        const std::size_t result = iconv(cd_, &in, &in_left, &to, &room);
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

std::string IconvConverter::finish() {
    std::string out = kept_.empty() ? "" : "?";
    kept_.clear();
    return out;
}

// One character decoded into room for exactly one: what it took is its length. A byte that
// starts no character at all is refused alone.
std::size_t IconvConverter::refused_length(char* at, std::size_t left) {
    std::array<char, 4> one{};
    char* in = at;
    char* to = one.data();
    std::size_t in_left = left;
    std::size_t room = one.size();
    iconv(measure_, nullptr, nullptr, nullptr, nullptr);
    iconv(measure_, &in, &in_left, &to, &room);
    const std::size_t length = left - in_left;
    return length == 0 ? 1 : length;
}

}  // namespace kurenagi
