// The single-instance guard: a lock on the usual private folder itself. A
// file inside could be removed or replaced while the program runs, and the
// next copy would lock the new one; the folder cannot be swapped while it
// is ours. The system drops the lock when its holder ends, however it ends,
// so a crashed copy never blocks the next one.
#pragma once

#include "platform/posix/unique_fd.h"

namespace morvane::posix {

class InstanceLock {
  public:
    // True when another process holds the lock. The first call that finds it
    // free takes it and keeps it for the life of this object.
    bool HeldElsewhere();

  private:
    UniqueFd fd_;
    bool checked_ = false;
    bool elsewhere_ = false;
};

}  // namespace morvane::posix
