// Hostile input of every kind, in-process and through the built game: every run must end,
// with exit status 0 and a bounded screen.

#include <gtest/gtest.h>

#include "hostile_keys.hpp"
#include "memory_terminal.hpp"
#include "playthroughs.hpp"

namespace kurenagi::testing {
namespace {

// Stops a runaway game instead of letting it fill the memory: far more than any playthrough
// writes for the keys it was given.
class BoundedTerminal : public MemoryTerminal {
public:
    using MemoryTerminal::MemoryTerminal;
    void write(std::string_view bytes) override {
        MemoryTerminal::write(bytes);
        if (output.size() > std::size_t{64} * 1024 + 1024 * keys().size()) {
            throw TerminalFailed("screen overflow");
        }
    }
};

void expect_sound_run(const std::string& keys, MemoryTerminal::Delivery delivery) {
    BoundedTerminal terminal(keys, delivery);
    EXPECT_EQ(play(terminal), 0) << terminal.complaints;
}

TEST(Stress, RandomHostileInputInProcess) {
    const std::string keys_of_all = recorded("full-playthrough").keys;
    std::mt19937 random(20261206);
    using Delivery = MemoryTerminal::Delivery;
    for (int run = 0; run < 3000; ++run) {
        const std::string keys = hostile_keys(random, keys_of_all);
        SCOPED_TRACE(run);
        expect_sound_run(keys, run % 3 == 0 ? Delivery::at_once : Delivery::by_line);
    }
}

TEST(Stress, TruncatedAtEveryByteOfAPlaythrough) {
    const std::string keys = recorded("full-playthrough").keys;
    for (std::size_t size = 0; size <= keys.size(); ++size) {
        SCOPED_TRACE(size);
        expect_sound_run(keys.substr(0, size), MemoryTerminal::Delivery::by_line);
    }
}

}  // namespace
}  // namespace kurenagi::testing
