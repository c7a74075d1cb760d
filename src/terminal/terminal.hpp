#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

namespace kurenagi {

// Raised by a terminal that could not take what the story wrote, or could not read what the
// player typed for any reason but the end of the input: the player would miss lines or keys,
// so the run cannot go on as if nothing happened.
class TerminalFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the story waits for when it asks for input: a key at a beat (Enter, to read on), a
// number (a menu's answer), or a word (a name).
enum class Awaited : std::uint8_t { key, number, word };

// Where the console meets the player: the keyboard, the screen, and a place for complaints.
// Bytes on the console's side are always code page 932; whatever the real device speaks is
// the adapter's business.
class Terminal {
public:
    virtual ~Terminal() = default;

    // Waits until the player has sent something and copies it into the buffer.
    // Returns 0 only when the input has ended.
    virtual std::size_t read(std::span<char> buffer) = 0;

    // Told before every read what the story waits for there. The bytes a read delivers never
    // depend on it: a device may keep a history or choose its buttons by it, or ignore it; a
    // terminal around another passes it on.
    virtual void await(Awaited awaited) { static_cast<void>(awaited); }

    // Writes every byte, or throws TerminalFailed.
    virtual void write(std::string_view bytes) = 0;

    // Tells the player, outside the story, why the run had to stop.
    virtual void complain(std::string_view message) = 0;
};

}  // namespace kurenagi
