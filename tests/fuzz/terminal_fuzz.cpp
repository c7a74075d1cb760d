// The terminal layer on arbitrary bytes: line cooking and a stateless conversion either way between
// code page 932 and a screen's codeset give the same bytes however the pieces fall, as the reads
// and writes that carry keys and screens cut them; what a conversion hands the story is whole code
// page 932 characters; and the reading of locale names and codesets takes any name without fault.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "terminal/iconv_converter.hpp"
#include "terminal/line_cooking.hpp"
#include "terminal/screen_encoding.hpp"

namespace {

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

void cook(FuzzedDataProvider& provider) {
    const bool console = provider.ConsumeBool();
    const std::string keys = provider.ConsumeRandomLengthString();
    kurenagi::LineCooker whole(console);
    const std::string at_once = whole.cook(keys) + whole.finish();
    kurenagi::LineCooker cut(console);
    std::string in_pieces;
    for (std::size_t at = 0; at < keys.size();) {
        const auto piece = provider.ConsumeIntegralInRange<std::size_t>(1, 8);
        in_pieces += cut.cook(std::string_view(keys).substr(at, piece));
        at += piece;
    }
    in_pieces += cut.finish();
    require(in_pieces == at_once && cut.ended() == whole.ended());
    require(whole.ended() == (console && keys.find('\x1A') != std::string::npos));
}

void convert(FuzzedDataProvider& provider) {
    constexpr std::array codesets = {"UTF-8",      "EUC-JP",     "EUC-JP-MS",  "GB18030",
                                     "UTF-16LE",   "ISO-8859-1", "BIG5-HKSCS", "CP949",
                                     "TCVN5712-1", "CP1258"};
    const std::string codeset = provider.PickValueInArray(codesets);
    const bool to_story = provider.ConsumeBool();
    const std::string screen = to_story ? "CP932" : codeset;
    const std::string story = to_story ? codeset : "CP932";
    const std::string text = provider.ConsumeRandomLengthString();
    // Every codeset above is one glibc converts.
    auto whole = kurenagi::IconvConverter::open(screen, story);
    auto cut = kurenagi::IconvConverter::open(screen, story);
    require(whole && cut);
    const std::string at_once = whole->convert(text) + whole->finish();
    std::string in_pieces;
    for (std::size_t at = 0; at < text.size();) {
        const auto piece = provider.ConsumeIntegralInRange<std::size_t>(1, 8);
        in_pieces += cut->convert(std::string_view(text).substr(at, piece));
        at += piece;
    }
    in_pieces += cut->finish();
    // Vietnamese decoders compose a letter and its mark only when both come in one piece.
    require(in_pieces == at_once || codeset == "TCVN5712-1" || codeset == "CP1258");
    require(!to_story || kurenagi::whole_cp932_length(at_once) == at_once.size());
    // Every line feed gets through, in the codesets that spell it as one byte of its own.
    const auto line_feeds = [](const std::string& bytes) {
        return std::ranges::count(bytes, '\n');
    };
    require(codeset == "UTF-16LE" ||
            (line_feeds(at_once) == line_feeds(text) && line_feeds(in_pieces) == line_feeds(text)));
}

void name_the_screen(FuzzedDataProvider& provider) {
    std::array<std::string, 4> values;
    for (auto& value : values) {
        value = provider.ConsumeRandomLengthString(64);
    }
    const auto pick = [&](std::size_t at) {
        return provider.ConsumeBool() ? values.at(at).c_str() : nullptr;
    };
    const std::string_view name = kurenagi::locale_name(pick(0), pick(1), pick(2));
    const std::string codeset = kurenagi::terminal_codeset(name, pick(3));
    require(codeset.find('/') == std::string::npos);
    require(kurenagi::screen_codesets(codeset).back() == "UTF-8");
    static_cast<void>(kurenagi::is_code_page_932(codeset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    switch (provider.ConsumeIntegralInRange(0, 2)) {
        case 0:
            cook(provider);
            break;
        case 1:
            convert(provider);
            break;
        default:
            name_the_screen(provider);
            break;
    }
    return 0;
}
