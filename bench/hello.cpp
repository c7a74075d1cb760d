// The yardstick: the smallest C++ program that loads the C++ runtime and prints a line,
// built exactly like the game.
#include <cstdio>
#include <string>

int main() {
    const std::string line = "Hello, world!";
    std::puts(line.c_str());
    return 0;
}
