#pragma once

#include <memory>
#include <string>

#include "terminal/line_editing/line_editor.hpp"
#include "terminal/pending_input.hpp"
#include "terminal/posix/keyboard_mode.hpp"
#include "terminal/terminal.hpp"

namespace kurenagi {

// A keyboard that is a terminal in its cooked mode, edited as a console edits it: the
// terminal is put in non-canonical mode without echo for the run (its signal keys kept), and
// the line editor echoes and edits each line until Enter hands it over, whole, as the
// terminal would have. Keys typed ahead wait, in order, for the story to ask for them. After
// `fg` and after a resize the line being typed is drawn again.
class EditingTerminal : public Terminal {
public:
    // Null where the keyboard is no terminal in its canonical mode, or speaks a codeset with
    // shift states, whose escape sequences no line editor can tell from keys. `device` reads
    // the keyboard and writes the story; `story_on_screen` says whether the story goes to the
    // keyboard's own terminal, where the line continues the story's last line.
    static std::unique_ptr<EditingTerminal> open(std::unique_ptr<Terminal>& device,
                                                 const std::string& codeset, bool story_on_screen);

    EditingTerminal(const EditingTerminal&) = delete;
    EditingTerminal& operator=(const EditingTerminal&) = delete;
    ~EditingTerminal() override;

    std::size_t read(std::span<char> buffer) override;
    void write(std::string_view bytes) override;
    void await(Awaited awaited) override { editor_.await(awaited); }
    void complain(std::string_view message) override { device_->complain(message); }

    // Throws away what was typed and not yet read, by the terminal and by the editor alike.
    void discard_typed_ahead();

private:
    EditingTerminal(std::unique_ptr<Terminal> device, std::unique_ptr<ScreenCharacters> characters,
                    std::unique_ptr<KeyboardMode> mode, bool echo, bool story_on_screen);

    std::string next_line();
    bool more_keys();
    void show(const std::string& echo);
    [[nodiscard]] int columns() const;

    std::unique_ptr<Terminal> device_;
    std::unique_ptr<ScreenCharacters> characters_;
    std::unique_ptr<KeyboardMode> mode_;
    LineEditor editor_;
    bool story_on_screen_;
    int echo_fd_;       // where the line is echoed: the keyboard's own terminal
    bool own_echo_fd_;  // opened for the echo, and closed at the end
    std::unique_ptr<Terminal> echo_;
    std::string typed_;  // keys read from the terminal and not yet edited
    PendingInput line_;  // the line handed over, for reads of any size
    bool reports_;       // the terminal may be asked where its cursor is: it is not a dumb one
};

}  // namespace kurenagi
