#pragma once

#include <memory>
#include <string>

#include "terminal/terminal.hpp"

namespace kurenagi {

// Puts a device that speaks `codeset` behind a code page 932 console: what the story writes
// is converted on its way out, and what the player types is converted to code page 932
// before any read sees it, so that a word's length is counted as the story counts it.
// Takes the device and returns the converting terminal; if the C library cannot convert
// between the two codesets, returns null and leaves the device where it was.
std::unique_ptr<Terminal> speak(const std::string& codeset, std::unique_ptr<Terminal>& device);

}  // namespace kurenagi
