// The existence test behind the input checks and the verdict.
#pragma once

#include <string>

namespace morvane::posix {

// Takes `path` as a pattern the way the Windows directory search does: "*"
// and "?" may stand in its last component. Only regular files (symbolic
// links followed) whose names do not begin with a dot match. Answers the
// first matching name, or "" when none matches or the search fails.
std::string FindFirstFile(const std::string& path);

// "*" stands for any run of characters, "?" for one character; everything
// else, brackets and backslashes included, stands for itself.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace morvane::posix
