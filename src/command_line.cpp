#include "command_line.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kurenagi {
namespace {

#ifdef _WIN32
constexpr std::string_view manual_en = "The manual: README.txt, beside kurenagi.exe.\n";
constexpr std::string_view manual_ja = "説明書：kurenagi.exe と同じフォルダーの README.txt\n";
#else
constexpr std::string_view manual_en = "The manual: man 6 kurenagi\n";
constexpr std::string_view manual_ja = "説明書：man 6 kurenagi\n";
#endif

constexpr std::string_view help_en =
    "Usage: kurenagi [OPTION]\n"
    "Chapter one of a Japanese school-horror story, played at the text console.\n"
    "Started without options, it plays on standard input and output; every run starts\n"
    "from the first screen.\n"
    "\n"
    "Keys:\n"
    "  Enter              moves the story on by one beat; any other key typed before\n"
    "                     Enter skips one beat for each character\n"
    "  a number, Enter    answers a menu (half-width digits)\n"
    "  a word, Enter      answers the name and pronoun prompts (up to 9 bytes of\n"
    "                     Shift_JIS each)\n"
    "  Ctrl-D             ends the input (Ctrl-Z, Enter at a Windows console)\n"
    "\n"
    "Editing the line being typed, at a terminal as at a console:\n"
    "  Left, Right        move by one character\n"
    "  Home, End          move to the start or the end (also Ctrl-A, Ctrl-E)\n"
    "  Backspace, Delete  remove the character before or under the cursor\n"
    "  Ctrl-U, Esc        clear the line\n"
    "  Ctrl-W, Alt-Backspace  removes the word before the cursor\n"
    "  Ctrl-Left, Alt-B   moves to the start of the word before the cursor\n"
    "  Ctrl-Right, Alt-F  moves to the end of the word after it\n"
    "  Up, Down           bring back the numbers or the words given before\n"
    "\n"
    "Options:\n"
    "  -h, --help         shows this help and exits\n"
    "  -V, --version      shows the version and exits\n"
    "\n"
    "Exit status:\n"
    "  0  the story ended, the input ended, or the terminal hung up\n"
    "  1  the screen could not be written or the keys read, or memory ran out\n"
    "  2  the command line could not be taken\n"
    "\n";

constexpr std::string_view help_ja =
    "使い方：kurenagi [オプション]\n"
    "文字の端末で遊ぶ学園ホラーノベルの第一章です。\n"
    "オプションなしで起動すると、標準入力と標準出力で遊びます。\n"
    "毎回最初の画面から始まります。\n"
    "\n"
    "キー：\n"
    "  Enter              物語を一場面進めます。Enter の前にほかのキーを打つと、\n"
    "                     打った文字の数だけ場面が飛ばされます\n"
    "  数字と Enter       選択肢に答えます（半角数字）\n"
    "  言葉と Enter       名字、名前、一人称に答えます（それぞれ Shift_JIS で\n"
    "                     9 バイトまで）\n"
    "  Ctrl-D             入力を終えます（Windows では Ctrl-Z と Enter）\n"
    "\n"
    "入力中の行の編集（端末でも Windows と同じように）：\n"
    "  ←、→             一文字ずつ動きます\n"
    "  Home、End          行の初めと終わりへ動きます（Ctrl-A、Ctrl-E でも）\n"
    "  Backspace、Delete  前の文字、または今いる文字を消します\n"
    "  Ctrl-U、Esc        行を消します\n"
    "  Ctrl-W、Alt-Backspace  前の単語を消します\n"
    "  Ctrl-←、Alt-B     前の単語の先頭へ動きます\n"
    "  Ctrl-→、Alt-F     次の単語の末尾へ動きます\n"
    "  ↑、↓             前に入力した数字や言葉を呼び出します\n"
    "\n"
    "オプション：\n"
    "  -h, --help         この説明を出して終わります\n"
    "  -V, --version      バージョンを出して終わります\n"
    "\n"
    "終了ステータス：\n"
    "  0  物語が終わった、入力が終わった、または端末が切れたとき\n"
    "  1  画面に書けない、キーを読めない、またはメモリーが足りないとき\n"
    "  2  コマンドラインを受け付けられないとき\n"
    "\n";

constexpr std::string_view licence_en =
    "Copyright (C) 2026 the kurenagi developers\n"
    "License MIT: <https://opensource.org/licenses/MIT>\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

constexpr std::string_view licence_ja =
    "Copyright (C) 2026 the kurenagi developers\n"
    "ライセンス：MIT <https://opensource.org/licenses/MIT>\n"
    "これは自由なプログラムです。自由に変更し、再配布できます。\n"
    "法律の許す限り、無保証です。\n";

struct LongOption {
    std::string_view name;
    Request request;
};

// No two names begin alike, so any beginning of one names it alone.
constexpr std::array long_options{LongOption{"help", Request::help},
                                  LongOption{"version", Request::version}};

constexpr std::array short_options{std::pair{'h', Request::help}, std::pair{'V', Request::version}};

CommandLine asking(Request request) {
    CommandLine line;
    line.request = request;
    return line;
}

CommandLine refused(Fault fault, std::string_view argument) {
    return {Request::refused, fault, std::string(argument)};
}

// "--name", "--name=value", or "-" and one or more letters, of which the first decides.
CommandLine option(std::string_view argument) {
    if (argument.starts_with("--")) {
        const std::string_view typed = argument.substr(2);
        const std::string_view name = typed.substr(0, typed.find('='));
        for (const LongOption& option : long_options) {
            if (!name.empty() && option.name.starts_with(name)) {
                return name.size() == typed.size()
                           ? asking(option.request)
                           : refused(Fault::needless_value, "--" + std::string(option.name));
            }
        }
        return refused(Fault::unknown_long_option, argument);
    }
    for (const auto& [letter, request] : short_options) {
        if (argument[1] == letter) {
            return asking(request);
        }
    }
    return refused(Fault::unknown_short_option, argument.substr(1, 1));
}

// What each fault says, in English and in Japanese; "{}" stands for the argument.
constexpr std::array<std::array<std::string_view, 2>, 4> fault_lines{{
    {"unrecognized option '{}'", "'{}' というオプションはありません"},
    {"invalid option -- '{}'", "'-{}' というオプションはありません"},
    {"option '{}' doesn't allow an argument", "オプション '{}' は値を取りません"},
    {"extra operand '{}'", "余分な引数 '{}' があります"},
}};

constexpr std::array<std::string_view, 2> try_help{
    "Try 'kurenagi --help' for more information.\n",
    "詳しくは 'kurenagi --help' を実行してください。\n"};

// An argument is bytes in whatever codeset the shell had: its printable ASCII characters are
// shown as they are, and every other byte as "?", so that nothing of it can drive the screen.
std::string shown(std::string_view argument) {
    std::string text(argument);
    std::replace_if(
        text.begin(), text.end(), [](char byte) { return byte < ' ' || byte > '~'; }, '?');
    return text;
}

}  // namespace

CommandLine command_line_of(std::span<char* const> arguments) {
    std::optional<std::string_view> operand;
    bool options_ended = false;
    for (const std::string_view argument : arguments.subspan(arguments.empty() ? 0 : 1)) {
        if (options_ended || argument.size() < 2 || argument[0] != '-') {
            operand = operand.value_or(argument);
        } else if (argument == "--") {
            options_ended = true;
        } else {
            return option(argument);  // every option asks for something, or is a fault
        }
    }
    return operand ? refused(Fault::operand, *operand) : CommandLine{};
}

int answer(Request request, bool japanese, Terminal& terminal) {
    try {
        if (request == Request::help) {
            terminal.write(std::string(japanese ? help_ja : help_en) +
                           std::string(japanese ? manual_ja : manual_en));
        } else {
            terminal.write("kurenagi " KURENAGI_VERSION "\n" +
                           std::string(japanese ? licence_ja : licence_en));
        }
        return 0;
    } catch (const TerminalFailed& failure) {
        terminal.complain(failure.what());
        return 1;
    }
}

int refuse(const CommandLine& command_line, bool japanese, Terminal& terminal) {
    const std::size_t language = japanese ? 1 : 0;
    std::string line(fault_lines.at(static_cast<std::size_t>(command_line.fault)).at(language));
    line.replace(line.find("{}"), 2, shown(command_line.argument));
    try {
        terminal.write("kurenagi: " + line + "\n" + std::string(try_help.at(language)));
    } catch (const TerminalFailed&) {
        // Standard error is gone: nobody is left to tell.
    }
    return 2;
}

}  // namespace kurenagi
