#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "console/standard_terminal.hpp"

namespace kurenagi {
namespace {

std::string describe(DWORD error) {
    std::array<char, 256> text{};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text.data(), static_cast<DWORD>(text.size()), nullptr);
    std::string message(text.data(), length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(error) : message;
}

// Standard input and output as raw bytes: code page 932 passes unchanged and no line feed
// becomes CR LF on the way out. On the way in, the CR of a CR LF is dropped, as the C
// runtime's text mode does, so that the Enter key of a console passes exactly one gate.
class WindowsTerminal : public Terminal {
public:
    std::size_t read(std::span<char> buffer) override {
        while (!ended_) {
            std::size_t start = 0;
            if (held_cr_) {
                buffer[start++] = '\r';
                held_cr_ = false;
            }
            const auto room =
                static_cast<DWORD>(std::min<std::size_t>(buffer.size() - start, MAXDWORD));
            DWORD got = 0;
            // A closed pipe reports an error, a file or a console reads nothing: both end the
            // input.
            if (ReadFile(input_, buffer.data() + start, room, &got, nullptr) == FALSE || got == 0) {
                ended_ = true;
                return start;  // a CR held back is the last byte
            }
            std::size_t end = start + got;
            // A CR that ends this piece may be the first half of a CR LF.
            if (buffer[end - 1] == '\r') {
                held_cr_ = true;
                --end;
            }
            std::size_t kept = 0;
            for (std::size_t at = 0; at < end; ++at) {
                if (buffer[at] != '\r' || at + 1 == end || buffer[at + 1] != '\n') {
                    buffer[kept++] = buffer[at];
                }
            }
            if (kept > 0) {
                return kept;
            }
        }
        return 0;
    }

    void write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
            DWORD put = 0;
            if (WriteFile(output_, bytes.data(), size, &put, nullptr) == FALSE || put == 0) {
                throw OutputFailed("cannot write to standard output: " + describe(GetLastError()));
            }
            bytes.remove_prefix(put);
        }
    }

    void complain(std::string_view message) override {
        const std::string line = "kurenagi: " + std::string(message) + "\r\n";
        DWORD put = 0;
        // Nothing more can be done if even standard error is gone.
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                  &put, nullptr);
    }

private:
    HANDLE input_ = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE output_ = GetStdHandle(STD_OUTPUT_HANDLE);
    bool held_cr_ = false;
    // A console that said the input ended must not be asked again: it would wait.
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<Terminal> open_standard_terminal() { return std::make_unique<WindowsTerminal>(); }

}  // namespace kurenagi
