// The single-instance guard: a lock on a file in the private folder. The
// system drops the lock when its holder ends, however it ends, so a crashed
// copy never blocks the next one.
#pragma once

#include "common/posix/unique_handle.h"

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
