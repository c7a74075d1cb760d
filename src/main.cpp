#include "terminal/standard_terminal.hpp"
#include "story/driver.hpp"

int main() {
    const auto terminal = kurenagi::open_standard_terminal();
    return kurenagi::play(*terminal);
}
