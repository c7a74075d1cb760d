#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "terminal/terminal.hpp"

namespace kurenagi {

// The story's bytes as a screen is to show them: every control character but the line feed and
// the Tab becomes "?", so that none is obeyed. Code page 932 has no C1 controls, and no second
// byte of its characters is a C0 control or DEL, so each byte is looked at alone.
std::string controls_shown(std::string_view cp932);

// Puts `screen` behind a story whose screen is a terminal: a name typed with an escape sequence
// in it cannot clear the screen or retitle the window when the story repeats it. It goes in
// front of any conversion, whose own shift sequences are then never touched. Pipes and files
// get the story's bytes as they are, without it.
std::unique_ptr<Terminal> showing_controls(std::unique_ptr<Terminal> screen);

}  // namespace kurenagi
