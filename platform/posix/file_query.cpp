#include "platform/posix/file_query.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "common/posix/unique_handle.h"

namespace morvane::posix {

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

// Length of the UTF-8 character that starts at `text[i]`.
std::size_t CharLength(const std::string& text, std::size_t i) {
    std::size_t n = 1;
    while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
    return n;
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharLength(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            starN += CharLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::optional<std::string> FindMatchingFile(const std::string& path) {
    if (path.empty() || HasNul(path)) return std::nullopt;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name[0] == '.') return std::nullopt;

    if (name.find_first_of("*?") == std::string::npos) {
        if (!IsRegularFile(path)) return std::nullopt;
        return name;
    }

    UniqueDir dir(::opendir(folder.c_str()));
    if (!dir) return std::nullopt;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string candidate = entry->d_name;
        if (candidate[0] == '.') continue;
        if (!WildcardMatch(name, candidate)) continue;
        if (IsRegularFile(folder + candidate)) return candidate;
    }
    return std::nullopt;
}

bool SomethingExistsAt(const std::string& path) {
    if (path.empty() || HasNul(path)) return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
    if (path.empty() || HasNul(path)) return std::nullopt;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

std::optional<FileIdentity> RegularFileIdentity(const std::string& path) {
    if (path.empty() || HasNul(path)) return std::nullopt;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    FileIdentity identity{static_cast<std::uint64_t>(info.st_dev),
                          static_cast<std::uint64_t>(info.st_ino),
                          static_cast<std::uint64_t>(info.st_size)};
    // /proc reports 0 bytes and /sys 4,096 whatever a file holds.
    struct statfs system {};
    identity.sizeTold = info.st_size > 0 && ::statfs(path.c_str(), &system) == 0 &&
                        system.f_type != PROC_SUPER_MAGIC && system.f_type != SYSFS_MAGIC;
    return identity;
}

bool CreateEmptyFile(const std::string& path, std::string& reason) {
    if (path.empty() || HasNul(path)) {
        reason = std::strerror(EINVAL);
        return false;
    }
    // Never through a link, never over anything there.
    const UniqueFd fd(::open(
        path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666));
    if (!fd.Valid()) reason = std::strerror(errno);
    return fd.Valid();
}

bool InFolder(const std::string& path, const std::string& folder) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return false;
    return SameFile(slash == 0 ? "/" : path.substr(0, slash), folder);
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

bool CanOpenForReading(const std::string& path) {
    if (path.empty() || HasNul(path)) return false;
    // Non-blocking, so that a FIFO without a writer does not hang the check.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    return fd.Valid();
}

FolderAccess OutputFolderAccess(const std::string& path) {
    if (path.empty() || HasNul(path)) return FolderAccess::Missing;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return errno == ENOTDIR ? FolderAccess::NotAFolder : FolderAccess::Missing;
    if (!S_ISDIR(info.st_mode)) return FolderAccess::NotAFolder;
    // Creating a name needs write and search permission on the folder; a
    // read-only file system or an immutable folder answers no as well.
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? FolderAccess::Writable
                                                      : FolderAccess::NotWritable;
}

bool NameFits(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameLength = path.size() - (slash == std::string::npos ? 0 : slash + 1);
    return nameLength <= NAME_MAX && path.size() < PATH_MAX;
}

bool SameFile(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty() || HasNul(first) || HasNul(second)) return false;
    struct stat a {
    }, b{};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace morvane::posix
