// A stateless conversion, either way between code page 932 and a screen's codeset, gives the
// same bytes whether the text comes whole or cut into pieces anywhere, as keys and screens
// are cut by the reads and writes that carry them; and what reaches the story is whole code
// page 932 characters.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "terminal/iconv_converter.hpp"
#include "terminal/line_cooking.hpp"

namespace {

using kurenagi::IconvConverter;

constexpr std::array codesets = {"UTF-8",    "EUC-JP",     "EUC-JP-MS",  "GB18030",
                                 "UTF-16LE", "ISO-8859-1", "BIG5-HKSCS", "CP949"};

std::unique_ptr<IconvConverter> opened(const std::string& to, const std::string& from) {
    auto converter = IconvConverter::open(to, from);
    if (!converter) {
        std::abort();  // every codeset above is one glibc converts
    }
    return converter;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string codeset = provider.PickValueInArray(codesets);
    const bool to_story = provider.ConsumeBool();
    const std::string screen = to_story ? "CP932" : codeset;
    const std::string story = to_story ? codeset : "CP932";
    const std::string text = provider.ConsumeRandomLengthString();

    auto whole = opened(screen, story);
    const std::string at_once = whole->convert(text) + whole->finish();
    auto cut = opened(screen, story);
    std::string in_pieces;
    for (std::size_t at = 0; at < text.size();) {
        const auto piece = provider.ConsumeIntegralInRange<std::size_t>(1, 8);
        in_pieces += cut->convert(std::string_view(text).substr(at, piece));
        at += piece;
    }
    in_pieces += cut->finish();
    if (in_pieces != at_once) {
        std::abort();
    }
    if (to_story && kurenagi::whole_cp932_length(at_once) != at_once.size()) {
        std::abort();
    }
    return 0;
}
