#include "console/utf8_terminal.hpp"

#include <gtest/gtest.h>

#include "memory_terminal.hpp"
#include "script_texts.hpp"

namespace kurenagi::testing {
namespace {

// UTF-8 text, whatever the execution character set of this file.
std::string utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

// Lends a memory terminal to the converting one, which owns its device, so that the test can
// still look at the device after the converting terminal is gone.
class Borrowed : public Terminal {
public:
    explicit Borrowed(Terminal& device) : device_(device) {}
    std::size_t read(std::span<char> buffer) override { return device_.read(buffer); }
    void write(std::string_view bytes) override { device_.write(bytes); }
    void complain(std::string_view message) override { device_.complain(message); }

private:
    Terminal& device_;
};

struct Device {
    explicit Device(std::string keys,
                    MemoryTerminal::Delivery delivery = MemoryTerminal::Delivery::by_line)
        : memory(std::move(keys), delivery),
          terminal(speak_utf8(std::make_unique<Borrowed>(memory))) {}
    // Everything the converting terminal hands the console, read until the end.
    [[nodiscard]] std::string typed() const {
        std::string all;
        std::array<char, 64> buffer{};
        for (std::size_t got; (got = terminal->read(buffer)) > 0;) {
            all.append(buffer.data(), got);
        }
        return all;
    }
    MemoryTerminal memory;
    std::unique_ptr<Terminal> terminal;
};

TEST(Utf8Terminal, ShowsTheStoryInUtf8) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ー　クレナギ　ー", utf8(u8"ー　クレナギ　ー")},
        {cry, utf8(u8"蜉ｩ縺代※")},
        {rule(), utf8(u8"＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿＿")},
        {"\x80|\xA0|\x85\x40|\xFD", "?|?|?|?"},  // bytes and pairs code page 932 does not know
    };
    for (const auto& [story, screen] : cases) {
        Device device("");
        device.terminal->write(story);
        EXPECT_EQ(device.memory.output, screen);
    }
}

TEST(Utf8Terminal, CharacterSplitAcrossWritesOrCutShort) {
    Device device("");
    const std::string yama = "山";
    device.terminal->write(yama.substr(0, 1));
    device.terminal->write(yama.substr(1) + "\n" + yama.substr(0, 1));
    EXPECT_EQ(device.memory.output, utf8(u8"山\n"));
    device.terminal.reset();
    EXPECT_EQ(device.memory.output, utf8(u8"山\n?"));
}

TEST(Utf8Terminal, TypedUtf8ReachesTheConsoleAsCodePage932) {
    using Delivery = MemoryTerminal::Delivery;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {utf8(u8"山田 太郎\n"), "山田 太郎\n"},
        {utf8(u8"ｱ１\n"), "ｱ１\n"},
        {utf8(u8"😀x\n"), "?x\n"},          // no code page 932 form
        {"\xFF\xC3x\n", "??x\n"},          // broken UTF-8
        {utf8(u8"太").substr(0, 2), "?"},  // cut short by the end of input
    };
    for (const auto delivery : {Delivery::by_line, Delivery::by_byte}) {
        for (const auto& [keys, typed] : cases) {
            Device device(keys, delivery);
            EXPECT_EQ(device.typed(), typed);
            // After the end the device is never asked again: a terminal would wait.
            EXPECT_EQ(device.terminal->read(std::span<char>()), 0U);
            EXPECT_EQ(device.memory.screens_at_wait.size(),
                      delivery == Delivery::by_byte ? keys.size() + 1 : 2U);
        }
    }
}

TEST(Utf8Terminal, NineByteLimitCountsCodePage932) {
    // 4 full-width characters and 1 half-width are 13 bytes of UTF-8 but 9 of code page 932.
    Device device(utf8(u8"\n1\nあいうえa 太郎\n"));
    EXPECT_EQ(play(*device.terminal), 0);
    EXPECT_NE(device.memory.output.find(utf8(u8"あいうえa 太郎 であっていますか？")),
              std::string::npos);
}

}  // namespace
}  // namespace kurenagi::testing
