#include "platform/posix/file_identity.h"

#include <sys/stat.h>

namespace morvane::posix {

namespace {

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

}  // namespace

bool SomethingExistsAt(const std::string& path) {
    if (path.empty() || HasNul(path)) return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool RegularFileAt(const std::string& path) {
    if (path.empty() || HasNul(path)) return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool SameFile(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty() || HasNul(first) || HasNul(second)) return false;
    struct stat a {
    }, b{};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace morvane::posix
