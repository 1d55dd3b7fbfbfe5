#include "platform/posix/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/posix/private_dir.h"

namespace morvane::posix {

bool InstanceLock::HeldElsewhere() {
    if (checked_) return elsewhere_;
    checked_ = true;
    std::string reason;
    const auto dir = EnsurePrivateDirectory(reason);
    // Without a private folder there is nothing to lock: let the program run.
    if (!dir) return false;
    UniqueFd fd(
        ::open((*dir + "/instance.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid()) return false;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        elsewhere_ = errno == EWOULDBLOCK;
        return elsewhere_;
    }
    fd_ = std::move(fd);
    return false;
}

}  // namespace morvane::posix
