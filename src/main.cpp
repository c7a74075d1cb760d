#include "story/driver.hpp"
#include "terminal/standard_terminal.hpp"

int main() {
    const auto terminal = kurenagi::open_standard_terminal();
    return kurenagi::play(*terminal);
}
