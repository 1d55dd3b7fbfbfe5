// Starting the stand-in command interpreter on a script.
#pragma once

#include <optional>
#include <string>

namespace morvane::posix {

// Where the stand-in interpreter is, found from this program's own location:
// beside it (the build tree) or in ../libexec/pellorin (an installation).
std::optional<std::string> FindInterpreter();

// Runs `interpreter /c script` detached: in a session of its own, with its
// standard streams on /dev/null and this program's working folder. It is
// never waited on, and it is not our child, so it cannot linger as our
// zombie once it ends. Answers false with the reason when it could not be
// started.
bool SpawnDetached(const std::string& interpreter, const std::string& script, std::string& reason);

}  // namespace morvane::posix
