#pragma once

#include <random>
#include <string>
#include <vector>

#include "script_texts.hpp"

namespace kurenagi::testing {

// Every menu of the chapter, with refusals, the window twice and the route menu.
inline const std::string full_playthrough =
    "\n1\n山田 太郎\n1\n私\n1\n" + arrival_keys + "\n3\n2\n" + window_keys + "2\n1\n2\n1\n1\n" +
    desk_keys + "\n2\n\n1\n" + "1\n\n2\n\n4\n" + library_keys;

// A reckless player: the keys of a playthrough, with wrong numbers, letters, names of every
// length, huge digit strings, NUL bytes and CR thrown in, cut off anywhere.
inline std::string hostile_keys(std::mt19937& random) {
    const std::vector<std::string> junk = {
        "\n",
        "1\n",
        "2\n",
        "4\n",
        "6\n",
        "3\n",
        "0\n",
        "58203\n",
        "-1\n",
        "+2\n",
        "99999999999999999999\n",
        "-4294967298\n",
        "x\n",
        "ab\n",
        "１\n",
        "山田 太郎\n",
        "あいうえおかきくけこ\n",
        "あいうえa\n",
        "123456789\n",
        "1234567890\n",
        std::string("\0\n", 2),
        "\r\n",
        "\r",
        " ",
        "\t",
        "1x\n",
        "-\n",
        "　\n",
        "\x81",
        "%s%d%n\n",
        std::string(300, 'z'),
        std::string(40, '9'),
    };
    std::bernoulli_distribution meddle(0.05);
    std::string keys;
    for (const char key : full_playthrough) {
        if (meddle(random)) {
            keys += junk[std::uniform_int_distribution<std::size_t>(0, junk.size() - 1)(random)];
        }
        keys += key;
    }
    return keys.substr(0, std::uniform_int_distribution<std::size_t>(0, keys.size())(random));
}

}  // namespace kurenagi::testing
