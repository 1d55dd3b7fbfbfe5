#include "platform/posix/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/private_dir.h"

namespace morvane::posix {

bool InstanceLock::HeldElsewhere() {
    if (checked_) return elsewhere_;
    checked_ = true;
    std::string reason;
    const auto dir = EnsurePrivateDirectory(reason);
    // Without the usual folder there is no place every copy agrees on: a
    // fresh folder is this process's alone (the usual one is not trusted,
    // and a lock taken there by another user must not keep us from
    // starting). Let the program run.
    if (!dir || *dir != UsualPrivateDirectoryPath()) return false;
    UniqueFd fd(::open(dir->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    // Checked again on the folder actually opened.
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !ExclusivelyOurs(info)) return false;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        elsewhere_ = errno == EWOULDBLOCK;
        return elsewhere_;
    }
    fd_ = std::move(fd);
    return false;
}

}  // namespace morvane::posix
