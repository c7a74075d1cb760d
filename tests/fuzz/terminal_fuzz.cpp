// The terminal layer on arbitrary bytes: the text mode's reading and a stateless conversion either
// way between code page 932 and a screen's codeset give the same bytes however the pieces fall, as
// the reads and writes that carry keys and screens cut them; what a conversion hands the story is
// whole code page 932 characters; the line editor hands over the same lines however its keys
// come, never reading a key past them, each no longer than a line may be and free of controls
// but a Tab, and leaves the screen as drawing the line afresh would; and the reading of locale
// names and codesets takes any name without fault.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "screen_model.hpp"
#include "terminal/codesets/iconv_converter.hpp"
#include "terminal/codesets/locale_names.hpp"
#include "terminal/line_editing/line_editor.hpp"
#include "terminal/windows/text_mode_input.hpp"
#include "terminal/windows/whole_characters.hpp"

namespace {

void require(bool holds, int rule = __builtin_LINE()) {
    if (!holds) {
        std::fprintf(stderr, "broken: the rule of line %d\n", rule);
        std::abort();
    }
}

// Hands `take` the bytes in pieces of 1 to `longest` bytes, as reads and writes cut them.
template <class Take>
void in_pieces_of(FuzzedDataProvider& provider, std::string_view bytes, std::size_t longest,
                  Take take) {
    for (std::size_t at = 0; at < bytes.size();) {
        const auto piece = provider.ConsumeIntegralInRange<std::size_t>(1, longest);
        take(bytes.substr(at, piece));
        at += piece;
    }
}

void read_in_text_mode(FuzzedDataProvider& provider) {
    const bool console = provider.ConsumeBool();
    const std::string keys = provider.ConsumeRandomLengthString();
    kurenagi::TextModeInput whole(console);
    const std::string at_once = whole.take(keys) + whole.finish();
    kurenagi::TextModeInput cut(console);
    std::string in_pieces;
    in_pieces_of(provider, keys, 8, [&](std::string_view piece) { in_pieces += cut.take(piece); });
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
    in_pieces_of(provider, text, 8,
                 [&](std::string_view piece) { in_pieces += cut->convert(piece); });
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

using kurenagi::testing::ScreenModel;
using Lines = std::vector<std::pair<std::size_t, std::string>>;  // where each ends, and it

// What the editor hands over for keys fed in `pieces` (a line at a time, the rest kept as a
// terminal device keeps it), and where each line ends among the keys. The story asks for each
// line on a row of its own, after `prompt`.
Lines hand_over(const std::vector<std::string_view>& pieces, const std::string& prompt, int width,
                kurenagi::LineEditor& editor, ScreenModel& screen) {
    editor.set_columns(width);
    editor.await(kurenagi::Awaited::word);  // history too
    editor.wrote(prompt);
    screen.show(prompt);
    std::string typed;
    Lines lines;
    std::size_t used = 0;
    for (const std::string_view piece : pieces) {
        typed += piece;
        for (bool handed = true; handed;) {
            std::string echo;
            const std::size_t took = editor.feed(typed, echo);
            typed.erase(0, took);
            used += took;
            screen.show(echo);
            require(echo.find('\x04') == std::string::npos);
            handed = editor.has_line();
            if (handed && lines.emplace_back(used, editor.take_line()).second.ends_with('\n')) {
                editor.wrote(prompt);
                screen = ScreenModel(width);
                screen.show(prompt);
            }
        }
    }
    return lines;
}

void edit(FuzzedDataProvider& provider) {
    static const auto characters = kurenagi::ScreenCharacters::open("UTF-8");
    const int width = provider.ConsumeIntegralInRange(2, 30);
    // A few rows of keys: every redraw costs the line's length, and no more is needed to wrap.
    const std::string keys = provider.ConsumeRandomLengthString(160);
    static const std::u8string_view name = u8"名字：";  // the screen speaks UTF-8
    const std::string prompt = provider.ConsumeBool() ? std::string(name.begin(), name.end()) : "";
    // In pieces (all at once, now and then), the lines and where they end are those of the
    // keys all at once; none is longer than a line may be, nor holds a control but a Tab.
    const std::size_t longest = provider.ConsumeBool() ? keys.size() : 8;
    std::vector<std::string_view> pieces;
    in_pieces_of(provider, keys, longest, [&](std::string_view piece) { pieces.push_back(piece); });
    kurenagi::LineEditor cut(*characters, true);
    ScreenModel screen(width);
    const Lines in_pieces = hand_over(pieces, prompt, width, cut, screen);
    kurenagi::LineEditor whole(*characters, false);
    ScreenModel unechoed(width);
    require(in_pieces == hand_over({keys}, prompt, width, whole, unechoed));
    for (const auto& [end, line] : in_pieces) {
        require(line.size() <= kurenagi::LineEditor::longest_line + 1 &&
                std::ranges::none_of(line.substr(0, line.size() - line.ends_with('\n')),
                                     [](unsigned char c) { return c < 0x20 && c != '\t'; }));
    }
    ScreenModel afresh(width);
    afresh.show(cut.redraw());
    // The editor shows whole characters only, and the controls a terminal knows.
    require(afresh == screen && screen.garbled == 0 && afresh.garbled == 0);
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
    constexpr std::array cases = {read_in_text_mode, convert, edit, name_the_screen};
    cases.at(provider.ConsumeIntegralInRange<std::size_t>(0, cases.size() - 1))(provider);
    return 0;
}
