#include "terminal/codesets/locale_names.hpp"

#include <algorithm>
#include <cctype>

namespace kurenagi {
namespace {

// Codeset names compared as the C library compares them: case and punctuation aside.
std::string folded(std::string_view codeset) {
    std::string key;
    for (const char c : codeset) {
        if (c != '-' && c != '_' && c != '.') {
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return key;
}

bool is_one_of(std::string_view codeset, std::initializer_list<std::string_view> names) {
    const std::string key = folded(codeset);
    return std::find(names.begin(), names.end(), key) != names.end();
}

// "ja_JP.eucJP@modifier" spells its codeset after the dot; a name without a dot may be a
// bare codeset.
std::string_view codeset_in_name(std::string_view name) {
    name = name.substr(0, name.find('@'));
    const auto dot = name.find('.');
    return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

}  // namespace

std::string_view locale_name(const char* lc_all, const char* lc_ctype, const char* lang) {
    for (const char* value : {lc_all, lc_ctype, lang}) {
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "";
}

std::string terminal_codeset(std::string_view name, const char* installed) {
    std::string codeset = installed != nullptr ? installed : std::string(codeset_in_name(name));
    // "ISO-8859-1//TRANSLIT" asks iconv for a way of converting, not for another codeset; a
    // name of blanks names none (iconv would take it for the C locale's).
    codeset.erase(std::min(codeset.find('/'), codeset.size()));
    codeset.erase(0, codeset.find_first_not_of(" \t"));
    codeset.erase(codeset.find_last_not_of(" \t") + 1);
    if (codeset.empty() ||
        is_one_of(codeset, {"C", "POSIX", "ASCII", "USASCII", "ANSIX341968", "ISO646US", "646"})) {
        return "UTF-8";
    }
    return is_one_of(codeset, {"UTF8"}) ? "UTF-8" : codeset;
}

std::vector<std::string> screen_codesets(const std::string& codeset) {
    // glibc's EUC-JP maps a few characters that both sides have (～ − ∥ ￠ ￡ ￢) unlike code
    // page 932; Microsoft's variant maps them as code page 932 does.
    if (is_one_of(codeset, {"EUCJP", "UJIS"})) {
        return {"EUC-JP-MS", codeset, "UTF-8"};
    }
    return {codeset, "UTF-8"};
}

bool is_japanese(std::string_view locale) {
    return locale.starts_with("ja") &&
           (locale.size() == 2 ||
            std::string_view("_.@").find(locale[2]) != std::string_view::npos);
}

bool is_code_page_932(std::string_view codeset) {
    return is_one_of(codeset, {"CP932", "SJIS", "SHIFTJIS", "WINDOWS31J", "MSKANJI", "IBM943"});
}

}  // namespace kurenagi
