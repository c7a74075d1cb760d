#pragma once

// The recorded playthroughs of tests/cases: for each, the keys a player typed and the screen
// they saw, as the game reads and writes them (the build turns the UTF-8 files into code
// page 932 and drops the line that says what a case is about).

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kurenagi::testing {

struct Playthrough {
    std::string name;
    std::string keys;
    std::string screen;
};

inline std::string file_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline Playthrough recorded(const std::string& name) {
    const std::string base = std::string(KURENAGI_CASES) + "/" + name;
    return {name, file_text(base + ".keys"), file_text(base + ".screen")};
}

inline std::vector<Playthrough> recorded_playthroughs() {
    std::vector<Playthrough> all;
    std::ifstream index(std::string(KURENAGI_CASES) + "/index");
    for (std::string name; std::getline(index, name);) {
        all.push_back(recorded(name));
    }
    return all;
}

}  // namespace kurenagi::testing
