#pragma once

#include <windows.h>

#include <memory>

#include "terminal/terminal.hpp"

namespace kurenagi {

// Standard input and output of a Windows program. A console is spoken to in Unicode, so the
// story reads right whatever code page the console is set to; pipes and files get the raw
// code page 932 bytes, with no CR added on the way out. Either way the keys are cooked as
// the C runtime's text mode cooks them. `output` is STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
std::unique_ptr<Terminal> open_standard_handles(bool console_in, bool console_out,
                                                DWORD output = STD_OUTPUT_HANDLE);

}  // namespace kurenagi
