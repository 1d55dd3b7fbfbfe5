// The files named on Pellorin.exe's command line: a file dropped on the
// exe's icon, "Open with", or `Pellorin.exe C:\data.csv` typed at a prompt.
#pragma once

#include <string>
#include <vector>

namespace morvane::win32 {

// Every argument after the program's own name, split by the system's rules
// (CommandLineToArgvW: quotes and backslashes as every program reads them)
// and made a full path against the current folder.
std::vector<std::string> CommandLineFiles();

}  // namespace morvane::win32
