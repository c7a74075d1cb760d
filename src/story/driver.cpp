#include "story/driver.hpp"

#include "story/scenes.hpp"

namespace kurenagi {
namespace {

void play_story(Console& con, StoryState& s) {
    open_title(con, s);
    if (s.c == 1) {
        enter_names(con, s);
        enter_pronoun(con, s);
        arrive_at_classroom(con, s);
        if (investigate_classroom(con, s) == Route::library) {
            visit_library(con, s);
        }
    } else if (s.c == hidden_number) {
        play_hidden_scene(con);
    }
}

}  // namespace

int play(Terminal& terminal) {
    try {
        Console con(terminal);
        StoryState s;
        try {
            play_story(con, s);
        } catch (const InputEnded&) {
            // Nobody is left to answer: the story simply stops where it is.
        }
        con.flush();
        return 0;
    } catch (const TerminalFailed& failure) {
        terminal.complain(failure.what());
        return 1;
    }
}

}  // namespace kurenagi
