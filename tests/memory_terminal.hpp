#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "story/driver.hpp"
#include "terminal/terminal.hpp"

namespace kurenagi::testing {

// A terminal on memory buffers. Like a console it hands over one line per read, or the
// whole input at once like a pipe that was filled before the game started, or a byte at a
// time like a slow pipe.
class MemoryTerminal : public Terminal {
public:
    enum class Delivery { by_line, at_once, by_byte };

    explicit MemoryTerminal(std::string input, Delivery delivery = Delivery::by_line)
        : input_(std::move(input)), delivery_(delivery) {}

    std::size_t read(std::span<char> buffer) override {
        screens_at_wait.push_back(output);
        std::size_t size = std::min(buffer.size(), input_.size() - taken_);
        if (delivery_ == Delivery::by_byte) {
            size = std::min<std::size_t>(size, 1);
        }
        if (delivery_ == Delivery::by_line) {
            const auto line_end = input_.find('\n', taken_);
            if (line_end != std::string::npos) {
                size = std::min(size, line_end + 1 - taken_);
            }
        }
        std::copy_n(input_.data() + taken_, size, buffer.data());
        taken_ += size;
        return size;
    }

    void write(std::string_view bytes) override {
        output += bytes;
        ++writes;
        largest_write = std::max(largest_write, bytes.size());
    }

    void complain(std::string_view message) override { complaints += message; }

    std::string output;
    std::string complaints;
    int writes = 0;
    std::size_t largest_write = 0;
    // What the player had on screen each time the game waited for input.
    std::vector<std::string> screens_at_wait;

private:
    std::string input_;
    Delivery delivery_;
    std::size_t taken_ = 0;
};

// Lends a terminal to one that owns what it wraps, so that a test can still look at it after
// the wrapper is gone.
class Borrowed : public Terminal {
public:
    explicit Borrowed(Terminal& device) : device_(device) {}
    std::size_t read(std::span<char> buffer) override { return device_.read(buffer); }
    void write(std::string_view bytes) override { device_.write(bytes); }
    void complain(std::string_view message) override { device_.complain(message); }

private:
    Terminal& device_;
};

}  // namespace kurenagi::testing
