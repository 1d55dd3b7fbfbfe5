// Running a for /f loop over its source file.
#pragma once

#include "interpreter/script_line.h"
#include "interpreter/script_runner.h"

namespace morvane::interp {

// Reads the source line by line (streamed: memory does not grow with the
// file), splits each line and runs the echo body for it. Answers false, after
// reporting why, when the source cannot be read or the output cannot be
// written; then no output is left behind.
bool RunForLoop(const ForCommand& command, const RunContext& context);

}  // namespace morvane::interp
