#include "terminal/codesets/visible_controls.hpp"

#include <algorithm>

namespace kurenagi {
namespace {

class ShowingControls : public Terminal {
public:
    explicit ShowingControls(std::unique_ptr<Terminal> screen) : screen_(std::move(screen)) {}

    std::size_t read(std::span<char> buffer) override { return screen_->read(buffer); }
    void await(Awaited awaited) override { screen_->await(awaited); }
    void write(std::string_view bytes) override { screen_->write(controls_shown(bytes)); }
    void complain(std::string_view message) override { screen_->complain(message); }

private:
    std::unique_ptr<Terminal> screen_;
};

}  // namespace

std::string controls_shown(std::string_view cp932) {
    std::string shown(cp932);
    std::replace_if(
        shown.begin(), shown.end(),
        [](char byte) {
            const auto code = static_cast<unsigned char>(byte);
            return (code < 0x20 && byte != '\n' && byte != '\t') || code == 0x7F;
        },
        '?');
    return shown;
}

std::unique_ptr<Terminal> showing_controls(std::unique_ptr<Terminal> screen) {
    return std::make_unique<ShowingControls>(std::move(screen));
}

}  // namespace kurenagi
