#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kurenagi {

// The locale a terminal's player chose: LC_ALL, then LC_CTYPE, then LANG, as the C library
// reads them; a variable set to nothing counts as unset. Null arguments are unset ones.
std::string_view locale_name(const char* lc_all, const char* lc_ctype, const char* lang);

// The codeset to speak to a terminal whose locale is `name`. `installed` is the codeset the
// C library reports for that locale, or null when the locale is not installed: then the
// name itself tells ("ja_JP.UTF-8", "en_US.utf8", a bare "UTF-8"). A locale that cannot
// show Japanese at all (C, POSIX: ASCII), or that names no codeset, gets UTF-8, which every
// terminal emulator in use today speaks.
std::string terminal_codeset(std::string_view name, const char* installed);

// The codesets to try for a screen that speaks `codeset`, best first: the first the C library
// can convert to is the one. A codeset it cannot convert is no use on a screen; UTF-8 most
// likely is, so it comes last.
std::vector<std::string> screen_codesets(const std::string& codeset);

// Whether a locale's name is one of Japanese: "ja", "ja_JP.UTF-8", "ja_JP@modifier".
bool is_japanese(std::string_view locale);

// Code page 932 under any of its names: the story's bytes need no conversion.
bool is_code_page_932(std::string_view codeset);

}  // namespace kurenagi
