#include "interpreter/source_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace morvane::interp {

std::optional<SourceFile> SourceFile::Open(const std::string& path, std::string& error) {
    // Non-blocking open so a pipe without a writer cannot hang the loop.
    posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.Valid()) {
        error = "cannot open the source file \"" + path + "\": " + std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        error = "cannot read the source file \"" + path + "\": " + std::strerror(errno);
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "the source \"" + path + "\" is a folder, not a file";
        return std::nullopt;
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    // A file whose size the system does not tell (/proc reports 0 bytes,
    // /sys 4,096, whatever they hold) is read to its end, as a pipe is.
    struct statfs system {};
    const bool sizeTold = info.st_size > 0 && ::fstatfs(fd.Get(), &system) == 0 &&
                          system.f_type != PROC_SUPER_MAGIC && system.f_type != SYSFS_MAGIC;
    const bool regular = S_ISREG(info.st_mode) && sizeTold;
    if (regular) ::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return SourceFile(std::move(fd), regular,
                      regular ? static_cast<std::uint64_t>(info.st_size) : 0);
}

ssize_t SourceFile::Read(unsigned char* buffer, std::size_t size) {
    if (seekable_) {
        const ssize_t got = ReadAt(position_, buffer, size);
        if (got > 0) position_ += static_cast<std::uint64_t>(got);
        return got;
    }
    {
        const ssize_t got = ::read(fd_.Get(), buffer, size);
        if (got >= 0) return got;
        // An interrupted wait for a pipe is handed back: the signal may
        // have asked the run to stop.
        errno_ = errno;
        return -1;
    }
}

ssize_t SourceFile::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) {
    if (!seekable_) {
        errno_ = ESPIPE;
        return -1;
    }
    if (offset >= size_) return 0;
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - offset));
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd_.Get(), buffer + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            errno_ = errno;
            return -1;
        }
        if (got == 0) {
            // The file is shorter than when it was opened: someone cut it
            // while it was read, so what is left is not the whole file.
            shrank_ = true;
            return -1;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

std::string SourceFile::Error() const {
    return shrank_ ? "it became shorter while it was read" : std::strerror(errno_);
}

}  // namespace morvane::interp
