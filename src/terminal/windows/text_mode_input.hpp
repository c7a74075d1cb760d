#pragma once

#include <string>
#include <string_view>

namespace kurenagi {

// Keys as the C runtime's text mode reads them on Windows: the CR of a CR LF is dropped,
// also when the pair is split across two pieces, so that the Enter key passes exactly one
// gate. At a console, Ctrl-Z also ends the input where it stands.
class TextModeInput {
public:
    explicit TextModeInput(bool ctrl_z_ends) : ctrl_z_ends_(ctrl_z_ends) {}

    // The keys of one piece; a CR at its very end waits for the next piece to tell what it is.
    std::string take(std::string_view piece);

    // At the end of the input: a CR held back is the last key. (Ctrl-Z holds none back.)
    [[nodiscard]] std::string finish() const;

    // Whether a Ctrl-Z has ended the input: nothing after it counts.
    [[nodiscard]] bool ended() const { return ended_; }

private:
    bool ctrl_z_ends_;
    bool held_cr_ = false;
    bool ended_ = false;
};

}  // namespace kurenagi
