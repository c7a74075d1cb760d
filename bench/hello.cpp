// The yardstick: the smallest C++ program, built exactly like the game.
#include <iostream>

int main() {
    std::cout << "Hello, world!\n";
    return 0;
}
