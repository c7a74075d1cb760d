#include "terminal/codesets/converting_terminal.hpp"

#include "terminal/pending_input.hpp"

namespace kurenagi {
namespace {

class ConvertingTerminal : public Terminal {
public:
    ConvertingTerminal(std::unique_ptr<Terminal> device, std::unique_ptr<IconvConverter> to_screen,
                       std::unique_ptr<IconvConverter> from_keyboard)
        : device_(std::move(device)),
          to_screen_(std::move(to_screen)),
          from_keyboard_(std::move(from_keyboard)) {}

    ~ConvertingTerminal() override {
        if (!to_screen_) {
            return;
        }
        try {
            // A character the story left unfinished still shows, as "?", and the shell that
            // takes the screen over finds it in its initial shift state.
            if (const std::string rest = to_screen_->finish(); !rest.empty()) {
                device_->write(rest);
            }
        } catch (const TerminalFailed&) {
            // The run is over; there is nobody left to tell.
        }
    }

    // The device's keys land in the console's buffer first; converted, they may be longer.
    std::size_t read(std::span<char> buffer) override {
        if (!from_keyboard_) {
            unshift_screen();
            return device_->read(buffer);
        }
        while (pending_.empty()) {
            // The end comes after whatever was left of the last character. It is passed on
            // once: a terminal takes new keys after Ctrl-D, for whoever still asks.
            if (ended_) {
                ended_ = false;
                return 0;
            }
            unshift_screen();
            const std::size_t got = device_->read(buffer);
            ended_ = got == 0;
            pending_.add(ended_ ? from_keyboard_->finish()
                                : from_keyboard_->convert({buffer.data(), got}));
        }
        return pending_.serve(buffer);
    }

    void write(std::string_view bytes) override {
        device_->write(to_screen_ ? to_screen_->convert(bytes) : std::string(bytes));
    }

    void await(Awaited awaited) override { device_->await(awaited); }

    void complain(std::string_view message) override { device_->complain(message); }

private:
    // While the player types, the screen is in its initial shift state: the terminal's echo of
    // a digit must read as a digit.
    void unshift_screen() {
        if (!to_screen_) {
            return;
        }
        if (const std::string shift = to_screen_->unshift(); !shift.empty()) {
            device_->write(shift);
        }
    }

    std::unique_ptr<Terminal> device_;
    std::unique_ptr<IconvConverter> to_screen_;
    std::unique_ptr<IconvConverter> from_keyboard_;
    PendingInput pending_;
    // The device said the input ended; the end is still to be passed on.
    bool ended_ = false;
};

}  // namespace

namespace {

// The line feed and the printable ASCII characters, which the story's menus and names, the
// terminal's keys and the shell all take as ASCII; but for the backslash and the tilde, which
// Shift_JIS of JIS X 0201 spells as the yen sign and the overline.
std::string ascii() {
    std::string all = "\n";
    for (char c = ' '; c < '\x7F'; ++c) {
        if (c != '\\' && c != '~') {
            all += c;
        }
    }
    return all;
}

}  // namespace

std::optional<Conversion> conversion_for(const std::string& codeset) {
    Conversion conversion{.to_screen = IconvConverter::open(codeset, "CP932"),
                          .from_keyboard = IconvConverter::open("CP932", codeset)};
    if (!conversion.to_screen || !conversion.from_keyboard) {
        return std::nullopt;
    }
    const auto check = IconvConverter::open(codeset, "CP932");
    const std::string text = ascii();
    if (check->convert(text) + check->finish() != text) {
        return std::nullopt;
    }
    return conversion;
}

std::unique_ptr<Terminal> converting_terminal(Conversion conversion,
                                              std::unique_ptr<Terminal> device) {
    return std::make_unique<ConvertingTerminal>(std::move(device), std::move(conversion.to_screen),
                                                std::move(conversion.from_keyboard));
}

}  // namespace kurenagi
