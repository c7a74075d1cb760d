#include "terminal/closing/closing_terminal.hpp"

#include <array>
#include <string_view>

namespace kurenagi {
namespace {

// Said outside the story, below it, in the screen's encoding like everything else.
constexpr std::string_view window_closes =
    "\n物語はここで終わりました。Enter キーでウィンドウを閉じます。";
constexpr std::string_view window_closes_after_message = "\nEnter キーでウィンドウを閉じます。";

class ClosingTerminal final : public Terminal {
public:
    ClosingTerminal(std::unique_ptr<Terminal> terminal, Closing closing)
        : terminal_(std::move(terminal)), closing_(std::move(closing)) {}

    ~ClosingTerminal() override {
        try {
            if (closing_.end_the_line || closing_.keep_the_window) {
                end_the_line();
            }
            if (closing_.keep_the_window) {
                discard_typed_ahead();  // a key typed for the story must not close the window
                terminal_->write(closing_.after_a_message ? window_closes_after_message
                                                          : window_closes);
                wait_for_enter();
            }
        } catch (const TerminalFailed&) {
            // The screen or the keyboard is gone: nobody is left to see the window.
        }
        discard_typed_ahead();
    }

    // A terminal echoes what the player types: a line read leaves the cursor at the start
    // of the next one.
    std::size_t read(std::span<char> buffer) override {
        const std::size_t got = terminal_->read(buffer);
        if (got > 0) {
            at_line_start_ = buffer[got - 1] == '\n';
        }
        return got;
    }

    void await(Awaited awaited) override { terminal_->await(awaited); }

    void write(std::string_view bytes) override {
        terminal_->write(bytes);
        if (!bytes.empty()) {
            at_line_start_ = bytes.back() == '\n';
        }
    }

    // A complaint is a line of its own too, where the screen is a terminal; a pipe or a file
    // keeps the story's bytes.
    void complain(std::string_view message) override {
        try {
            if (closing_.end_the_line) {
                end_the_line();
            }
        } catch (const TerminalFailed&) {
            // The screen is gone; the complaint goes elsewhere.
        }
        terminal_->complain(message);
    }

private:
    void end_the_line() {
        if (!at_line_start_) {
            terminal_->write("\n");
            at_line_start_ = true;
        }
    }

    // Enter, or the end of the input: whatever else is typed before it is no answer.
    void wait_for_enter() {
        std::array<char, 256> keys{};  // any size does: it reads until Enter comes
        for (;;) {
            const std::size_t got = terminal_->read(keys);
            if (got == 0 ||
                std::string_view(keys.data(), got).find('\n') != std::string_view::npos) {
                return;
            }
        }
    }

    void discard_typed_ahead() const {
        if (closing_.discard_typed_ahead) {
            closing_.discard_typed_ahead();
        }
    }

    std::unique_ptr<Terminal> terminal_;
    Closing closing_;
    bool at_line_start_ = true;
};

}  // namespace

std::unique_ptr<Terminal> closing_terminal(std::unique_ptr<Terminal> terminal, Closing closing) {
    return std::make_unique<ClosingTerminal>(std::move(terminal), std::move(closing));
}

std::unique_ptr<Terminal> closing_after_a_message(std::unique_ptr<Terminal> terminal, bool window,
                                                  std::function<void()> discard_typed_ahead) {
    Closing closing{
        .end_the_line = false,
        .keep_the_window = window,
        .discard_typed_ahead = {},
        .after_a_message = true,
    };
    if (window) {
        closing.discard_typed_ahead = std::move(discard_typed_ahead);
    }
    return closing_terminal(std::move(terminal), std::move(closing));
}

}  // namespace kurenagi
