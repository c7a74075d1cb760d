#pragma once

#include <string_view>

#include "console/input.hpp"
#include "console/output.hpp"
#include "console/text_field.hpp"
#include "terminal/terminal.hpp"

namespace kurenagi {

// Everything a scene may do with the player: write texts and read keys, numbers and words.
class Console {
public:
    explicit Console(Terminal& terminal) : output_(terminal), input_(terminal, output_) {}

    template <class... Args>
    void say(TextFor<Args...> text, const Args&... args) {
        output_.say<Args...>(text, args...);
    }

    bool gate() { return input_.gate(); }

    // The step most of the story is made of: behind its gate, a text and a blank line.
    template <class... Args>
    void beat(TextFor<Args...> text, const Args&... args) {
        if (gate()) {
            say<Args...>(text, args...);
            say("\n\n");
        }
    }

    void swallow() { input_.swallow(); }
    bool read_number(int& number) { return input_.read_number(number); }
    void read_word(TextField& field) { input_.read_word(field); }

    void flush() { output_.flush(); }

private:
    Output output_;
    Input input_;
};

}  // namespace kurenagi
