#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace kurenagi {

// Keys an adapter has converted for the console that did not fit the caller's buffer yet.
// A conversion may make a piece longer, so what one read of the device brings is handed on
// over as many reads as it takes.
class PendingInput {
public:
    [[nodiscard]] bool empty() const { return start_ == bytes_.size(); }

    void add(std::string_view bytes) {
        bytes_.erase(0, start_);
        start_ = 0;
        bytes_ += bytes;
    }

    // Copies as much as fits and keeps the rest for the next read.
    std::size_t serve(std::span<char> buffer) {
        const std::size_t size = std::min(buffer.size(), bytes_.size() - start_);
        std::copy_n(bytes_.data() + start_, size, buffer.data());
        start_ += size;
        return size;
    }

private:
    std::string bytes_;
    std::size_t start_ = 0;
};

}  // namespace kurenagi
