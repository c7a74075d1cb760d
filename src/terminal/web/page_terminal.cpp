#include "terminal/web/page_terminal.hpp"

#include <emscripten.h>

#include <algorithm>
#include <climits>

namespace kurenagi {
namespace {

// NOLINTBEGIN: emscripten's glue between C++ and the page's JavaScript
EM_ASYNC_JS(int, page_keys, (char* buffer, int size), {
    const keys = await Module.page.keys(size);
    HEAPU8.set(keys, buffer);
    return keys.length;
});
EM_JS(void, page_awaits, (int awaited), { Module.page.awaits(awaited); });
EM_JS(void, page_show, (const char* bytes, int size),
      { Module.page.show(HEAPU8.slice(bytes, bytes + size)); });
EM_JS(void, page_complain, (const char* message, int size),
      { Module.page.complain(HEAPU8.slice(message, message + size)); });
EM_JS(void, page_ended, (), { Module.page.ended(); });
// NOLINTEND

int clamped(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, INT_MAX)); }

class PageTerminal : public Terminal {
public:
    PageTerminal() = default;
    // The terminal closes when the run is over: the page says so and offers a fresh run.
    ~PageTerminal() override { page_ended(); }
    PageTerminal(const PageTerminal&) = delete;
    PageTerminal& operator=(const PageTerminal&) = delete;

    std::size_t read(std::span<char> buffer) override {
        return static_cast<std::size_t>(page_keys(buffer.data(), clamped(buffer.size())));
    }

    // The page offers its choice buttons while the story waits for a number, and lets a tap on
    // the story read on at a beat.
    void await(Awaited awaited) override { page_awaits(static_cast<int>(awaited)); }

    void write(std::string_view bytes) override { page_show(bytes.data(), clamped(bytes.size())); }

    void complain(std::string_view message) override {
        page_complain(message.data(), clamped(message.size()));
    }
};

}  // namespace

std::unique_ptr<Terminal> open_page_terminal() { return std::make_unique<PageTerminal>(); }

}  // namespace kurenagi
