#pragma once

#include <random>
#include <string>
#include <vector>

namespace kurenagi::testing {

// A reckless player: the keys of a playthrough, with wrong numbers, letters, names of every
// length, huge digit strings, NUL bytes and CR thrown in, cut off anywhere.
inline std::string hostile_keys(std::mt19937& random, const std::string& playthrough) {
    // clang-format off
    const std::vector<std::string> junk = {
        "\n", "1\n", "2\n", "4\n", "6\n", "3\n", "0\n", "58203\n", "-1\n", "+2\n", "x\n", "ab\n",
        "99999999999999999999\n", "-4294967298\n", "１\n", "山田 太郎\n", "あいうえおかきくけこ\n",
        "あいうえa\n", "123456789\n", "1234567890\n", std::string("\0\n", 2), "\r\n", "\r", " ",
        "\t", "1x\n", "-\n", "　\n", "\x81", "%s%d%n\n", std::string(300, 'z'), std::string(40, '9')};
    // clang-format on
    std::bernoulli_distribution meddle(0.05);
    std::string keys;
    for (const char key : playthrough) {
        if (meddle(random)) {
            keys += junk[std::uniform_int_distribution<std::size_t>(0, junk.size() - 1)(random)];
        }
        keys += key;
    }
    return keys.substr(0, std::uniform_int_distribution<std::size_t>(0, keys.size())(random));
}

}  // namespace kurenagi::testing
