// The per-user folder that holds the script file and the instance lock.
#pragma once

#include <optional>
#include <string>

namespace morvane::posix {

// $XDG_RUNTIME_DIR/pellorin, else /tmp/pellorin-<uid>: the path only.
std::string PrivateDirectoryPath();

// Creates the folder with mode 0700 when it is missing. Refuses a folder
// that is a symbolic link, not a folder, or not ours, since another user
// could then read or swap the script; a folder of ours open to others is
// closed to them. On failure answers nothing with the reason.
std::optional<std::string> EnsurePrivateDirectory(std::string& reason);

}  // namespace morvane::posix
