// Starting the stand-in command interpreter on a script, and asking how it
// ended.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/runtime.h"

namespace morvane::posix {

// Where the stand-in interpreter is, found from this program's own location:
// beside it (the build tree) or in ../libexec/pellorin (an installation).
std::optional<std::string> InterpreterPath();

// The interpreter this program started last. It stays our child, so its exit
// status can be had: the verdict of a run needs to know whether it ended
// normally or was killed.
class InterpreterProcess {
  public:
    InterpreterProcess() = default;
    InterpreterProcess(const InterpreterProcess&) = delete;
    InterpreterProcess& operator=(const InterpreterProcess&) = delete;

    // Runs `interpreter /c script` in a session of its own, with its standard
    // streams on /dev/null, this program's working folder and no other open
    // descriptor of ours. Answers false with the reason when it could not be
    // started.
    bool Launch(const std::string& interpreter, const std::string& script, std::string& reason);

    // Never blocks: an ended child is reaped here, and its status kept.
    InterpreterState State();

    // Ends the last one started, if it still runs, with everything in its
    // session, and reaps it.
    void Stop();

    // The last one started while it runs; 0 otherwise.
    pid_t RunningPid();

  private:
    void ReapEarlier();

    pid_t pid_ = -1;
    InterpreterState state_ = InterpreterState::NotStarted;
    // Interpreters started before the last one that had not ended by then;
    // reaped as they end, so none lingers as a zombie.
    std::vector<pid_t> earlier_;
};

}  // namespace morvane::posix
