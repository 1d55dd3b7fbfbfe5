// Running a whole script file, line by line.
#pragma once

#include <string>
#include <string_view>

#include "interpreter/run_context.h"

namespace morvane::interp {

// Runs each line of the script text (GB18030, lines ending in LF or CR LF)
// in order. Answers true when every line ran; a line that cannot run is
// reported and skipped.
bool RunScriptText(std::string_view script, const RunContext& context);

// Reads the script file and runs it; a missing or unreadable file is reported.
bool RunScriptFile(const std::string& path, const RunContext& context);

}  // namespace morvane::interp
