#include "terminal/windows/handle_terminal.hpp"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "terminal/pending_input.hpp"
#include "terminal/windows/text_mode_input.hpp"
#include "terminal/windows/whole_characters.hpp"

namespace kurenagi {
namespace {

constexpr UINT code_page_932 = 932;

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

[[noreturn]] void fail(const char* what) {
    throw TerminalFailed(std::string(what) + ": " + describe(GetLastError()));
}

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

std::u16string from_code_page_932(std::string_view bytes) {
    const int size = static_cast<int>(bytes.size());
    std::u16string text(bytes.size(), u'\0');
    const int length = MultiByteToWideChar(code_page_932, 0, bytes.data(), size,
                                           reinterpret_cast<wchar_t*>(text.data()), size);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string to_code_page_932(std::u16string_view typed) {
    const std::u16string text = pairs_as_one_refusal(typed);
    const int size = static_cast<int>(text.size());
    const auto* chars = reinterpret_cast<const wchar_t*>(text.data());
    std::string bytes(text.size() * 2, '\0');
    const int length = WideCharToMultiByte(code_page_932, 0, chars, size, bytes.data(),
                                           static_cast<int>(bytes.size()), "?", nullptr);
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

class HandleTerminal : public Terminal {
public:
    HandleTerminal(bool console_in, bool console_out, DWORD output)
        : output_(GetStdHandle(output)),
          console_in_(console_in),
          console_out_(console_out),
          text_mode_(console_in) {}

    std::size_t read(std::span<char> buffer) override {
        while (pending_.empty()) {
            // The end is passed on once: a console takes new lines after it, for whoever
            // still asks.
            if (ended_) {
                ended_ = false;
                return 0;
            }
            const std::string piece = console_in_ ? read_console() : read_file();
            std::string keys = text_mode_.take(piece);
            ended_ = piece.empty() || text_mode_.ended();
            if (ended_) {
                keys += text_mode_.finish();
            }
            pending_.add(keys);
        }
        return pending_.serve(buffer);
    }

    void write(std::string_view bytes) override {
        if (!console_out_) {
            write_file(bytes);
            return;
        }
        // A two-byte character whose first byte ends this piece is written with the next.
        unwritten_ += bytes;
        const std::size_t whole = whole_cp932_length(unwritten_);
        write_console(from_code_page_932(std::string_view(unwritten_).substr(0, whole)));
        unwritten_.erase(0, whole);
    }

    void complain(std::string_view message) override {
        const std::string line = "kurenagi: " + std::string(message) + "\r\n";
        DWORD put = 0;
        // Nothing more can be done if even standard error is gone.
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                  &put, nullptr);
    }

private:
    // One piece of the keys as code page 932 bytes; empty at the end of the input.
    std::string read_file() {
        std::array<char, 4096> bytes;
        DWORD got = 0;
        if (ReadFile(input_, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ==
            FALSE) {
            ended_by_error();
        }
        return {bytes.data(), got};
    }

    std::string read_console() {
        for (;;) {
            std::array<wchar_t, 1024> chars;
            DWORD got = 0;
            if (ReadConsoleW(input_, chars.data(), static_cast<DWORD>(chars.size()), &got,
                             nullptr) == FALSE) {
                ended_by_error();
            }
            if (got == 0) {
                return {};
            }
            // The second half of a surrogate pair comes with the next read.
            unread_.append(reinterpret_cast<const char16_t*>(chars.data()), got);
            const std::size_t whole = whole_utf16_length(unread_);
            std::string bytes = to_code_page_932(std::u16string_view(unread_).substr(0, whole));
            unread_.erase(0, whole);
            if (!bytes.empty()) {
                return bytes;
            }
        }
    }

    // A closed pipe ends the input like its end; any other failure is reported.
    void ended_by_error() {
        if (GetLastError() != ERROR_BROKEN_PIPE) {
            fail("cannot read standard input");
        }
    }

    void write_file(std::string_view bytes) {
        while (!bytes.empty()) {
            const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
            DWORD put = 0;
            if (WriteFile(output_, bytes.data(), size, &put, nullptr) == FALSE || put == 0) {
                fail("cannot write to standard output");
            }
            bytes.remove_prefix(put);
        }
    }

    void write_console(const std::u16string& text) {
        for (std::size_t at = 0; at < text.size();) {
            DWORD put = 0;
            const auto size = static_cast<DWORD>(text.size() - at);
            if (WriteConsoleW(output_, wide(text) + at, size, &put, nullptr) == FALSE || put == 0) {
                fail("cannot write to standard output");
            }
            at += put;
        }
    }

    HANDLE input_ = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE output_;
    bool console_in_;
    bool console_out_;
    TextModeInput text_mode_;
    PendingInput pending_;
    std::string unwritten_;
    std::u16string unread_;
    // The input ended; the end is still to be passed on.
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<Terminal> open_standard_handles(bool console_in, bool console_out, DWORD output) {
    return std::make_unique<HandleTerminal>(console_in, console_out, output);
}

}  // namespace kurenagi
