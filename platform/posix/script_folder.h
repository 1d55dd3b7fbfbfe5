// The per-user folder that holds the script file, and the single-instance
// lock on it.
#pragma once

#include <sys/stat.h>

#include <sys/types.h>
#include <optional>

#include <string>

#include "common/posix/unique_handle.h"

namespace morvane::posix {

// $XDG_RUNTIME_DIR/pellorin, else /tmp/pellorin-<uid>: where the folder is
// first looked for, and the one place every copy of the program agrees on.
std::string UsualScriptFolderPath();

// A real folder (not a link) of this user that nobody else may enter.
bool ExclusivelyOurs(const struct stat& info);

// The folder this process uses, created on first use: the usual folder when
// it is exclusively ours (made now with mode 0700, or found so). A folder at
// the usual path that was not exclusively ours is not trusted, nor repaired:
// whoever could enter it may have left a link, a FIFO or a lock of theirs
// inside. The process then uses a fresh folder of its own from mkdtemp,
// beside the usual one, for as long as it runs. Answers nothing with the
// reason when no folder can be had.
std::optional<std::string> EnsureScriptFolder(std::string& reason);

// The folder EnsureScriptFolder answers, or the usual path when it
// cannot make one (writing there then fails with the system's reason).
std::string ScriptFolderPath();

// The script's name inside the private folder.
inline constexpr const char* kScriptFileName = "1.bat";

// Removes the fresh folder this process uses, if it uses one, with the
// script in it: the program calls it as it ends. The usual folder stays for
// the next copy. Safe in a signal handler: it reads paths kept ready for it
// and calls only unlink and rmdir.
void RemoveFreshScriptFolder();

// The run going on, for the signal handler: the interpreter's process
// (the leader of a session of its own), its output and the script. A pid of
// 0 and an empty output: no run.
void KeepRunToUndo(pid_t interpreter, const std::string& output, const std::string& script);

// From now on SIGTERM, SIGHUP and SIGINT (the session ending, the terminal
// closed, Ctrl+C) first undo a run going on, ending its interpreter and
// removing its partial output and the script, and remove the fresh folder;
// then they end the process as they would have. A signal the process was
// started ignoring stays ignored.
void UndoRunAndRemoveFreshFolderOnSignals();

// The single-instance guard: a lock on the usual private folder itself. A
// file inside could be removed or replaced while the program runs, and the
// next copy would lock the new one; the folder cannot be swapped while it
// is ours. The system drops the lock when its holder ends, however it ends,
// so a crashed copy never blocks the next one.
class InstanceLock {
  public:
    // Takes the lock and keeps it for the life of this object; false when
    // another process holds it. Without the usual folder there is nothing to
    // lock, and the claim succeeds. Later calls give the first one's answer.
    bool Claim();

  private:
    UniqueFd fd_;
    bool checked_ = false;
    bool elsewhere_ = false;
};

}  // namespace morvane::posix
