#include "command_line.hpp"

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
    "Usage: kurenagi [--help | --version]\n"
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
    "  Ctrl-U             clears the line\n"
    "\n"
    "Options:\n"
    "      --help         shows this help and exits\n"
    "      --version      shows the version and exits\n"
    "\n";

constexpr std::string_view help_ja =
    "使い方：kurenagi [--help | --version]\n"
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
    "  Ctrl-U             行を消します\n"
    "\n"
    "オプション：\n"
    "      --help         この説明を出して終わります\n"
    "      --version      バージョンを出して終わります\n"
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

}  // namespace

Request request_of(std::span<char* const> arguments) {
    for (const std::string_view argument : arguments.subspan(arguments.empty() ? 0 : 1)) {
        if (argument == "--help") {
            return Request::help;
        }
        if (argument == "--version") {
            return Request::version;
        }
    }
    return Request::play;
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

}  // namespace kurenagi
