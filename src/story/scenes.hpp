#pragma once

#include "console/console.hpp"
#include "story/story_state.hpp"

namespace kurenagi {

// The scenes of chapter one, in the order the driver plays them. A scene reads and changes
// the story state and talks to the player only through the console.

// The notice on how to play and the title menu; leaves the title answer in `c`.
void open_title(Console& con, StoryState& s);
void enter_names(Console& con, StoryState& s);
void enter_pronoun(Console& con, StoryState& s);

void play_hidden_scene(Console& con);

// The chapter title, the night-time prologue and the walk up to classroom 2-a.
void arrive_at_classroom(Console& con, StoryState& s);

enum class Route { library, end };
// Looks around classroom 2-a as long as the player wishes.
Route investigate_classroom(Console& con, StoryState& s);

void visit_library(Console& con, const StoryState& s);

}  // namespace kurenagi
