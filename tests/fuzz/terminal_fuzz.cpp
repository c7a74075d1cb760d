// The terminal layer on arbitrary bytes: the text mode's reading and a stateless conversion either
// way between code page 932 and a screen's codeset give the same bytes however the pieces fall, as
// the reads and writes that carry keys and screens cut them; what a conversion hands the story is
// whole code page 932 characters; the line editor hands over the lines a small model of its keys
// gives, never reading a key past them, and leaves the screen as drawing the line afresh would,
// however its keys come; and the reading of locale names and codesets takes any name
// without fault.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
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

using kurenagi::Key;
using kurenagi::testing::ScreenModel;
using Lines = std::vector<std::pair<std::size_t, std::string>>;  // where each ends, and it

// The line editor's keys without a screen: a line of characters and a cursor.
Lines model(const std::string& keys, kurenagi::ScreenCharacters& characters) {
    kurenagi::KeyParser parser;
    std::vector<std::string> line;
    std::size_t cursor = 0;
    std::string partial;
    Lines lines;
    const auto put = [&](std::string bytes, int columns) {
        std::size_t size = bytes.size();
        for (const auto& character : line) {
            size += character.size();
            if (size > kurenagi::LineEditor::longest_line) {
                return;
            }
        }
        if (columns < 0) {
            return;
        }
        if (columns == 0 && bytes != "\t") {
            static_cast<void>(cursor > 0 ? line[cursor - 1] += bytes : bytes);
            return;
        }
        line.insert(line.begin() + static_cast<std::ptrdiff_t>(cursor++), bytes);
    };
    for (std::size_t at = 0; at < keys.size(); ++at) {
        const auto key = parser.take(keys[at]);
        if (key == Key::text && keys[at] != '\t') {
            partial += keys[at];
            for (kurenagi::ScreenCharacters::Character c{}; !partial.empty();
                 partial.erase(0, c.length)) {
                if ((c = characters.next(partial)).length == 0) {
                    break;
                }
                put(partial.substr(0, c.length), c.columns);
            }
            continue;
        }
        if (!key) {
            continue;
        }
        for (const char byte : std::exchange(partial, {})) {
            put(std::string(1, byte), 1);
        }
        const auto here = line.begin() + static_cast<std::ptrdiff_t>(cursor);
        if (key == Key::text) {
            put("\t", 0);
        } else if (key == Key::backspace && cursor > 0) {
            line.erase(here - 1);
            --cursor;
        } else if (key == Key::delete_forward && cursor < line.size()) {
            line.erase(here);
        } else if (key == Key::left || key == Key::right || key == Key::home || key == Key::end) {
            const std::size_t to[] = {cursor - (cursor > 0), cursor + (cursor < line.size()), 0,
                                      line.size()};
            cursor = to[static_cast<int>(*key) - static_cast<int>(Key::left)];
        } else if (key == Key::clear_line) {
            line.clear();
            cursor = 0;
        } else if (key == Key::enter || key == Key::end_of_input) {
            std::string whole;
            for (const auto& character : line) {
                whole += character;
            }
            lines.emplace_back(at + 1, whole + (key == Key::enter ? "\n" : ""));
            line.clear();
            cursor = 0;
        }
    }
    return lines;
}

void edit(FuzzedDataProvider& provider) {
    static const auto characters = kurenagi::ScreenCharacters::open("UTF-8");
    const int width = provider.ConsumeIntegralInRange(2, 30);
    // A few rows of keys: every redraw costs the line's length, and no more is needed to wrap.
    const std::string keys = provider.ConsumeRandomLengthString(160);
    const std::string prompt = provider.ConsumeBool() ? "名字：" : "";
    // In pieces (all at once, now and then), a line at a time; the screen is kept from the
    // start of the story's last line.
    const std::size_t longest = provider.ConsumeBool() ? keys.size() : 8;
    kurenagi::LineEditor cut(*characters, true);
    cut.set_columns(width);
    cut.wrote(prompt);
    ScreenModel screen(width);
    screen.show(prompt);
    std::string echo_in_pieces;
    std::string typed;
    Lines in_pieces;
    std::size_t used = 0;
    in_pieces_of(provider, keys, longest, [&](std::string_view piece) {
        typed += piece;
        while (!typed.empty()) {
            std::string echo;
            const std::size_t took = cut.feed(typed, echo);
            typed.erase(0, took);
            used += took;
            screen.show(echo);
            echo_in_pieces += echo;
            if (!cut.has_line()) {
                break;
            }
            in_pieces.emplace_back(used, cut.take_line());
            if (in_pieces.back().second.ends_with('\n')) {  // the story asks on the next row
                cut.wrote(prompt);
                screen = ScreenModel(width);
                screen.show(prompt);
            }
        }
    });
    require(in_pieces == model(keys, *characters) &&
            echo_in_pieces.find('\x04') == std::string::npos);
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
