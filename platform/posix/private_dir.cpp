#include "platform/posix/private_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace morvane::posix {

std::string PrivateDirectoryPath() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && runtimeDir[0] == '/') return std::string(runtimeDir) + "/pellorin";
    return "/tmp/pellorin-" + std::to_string(::getuid());
}

std::optional<std::string> EnsurePrivateDirectory(std::string& reason) {
    const std::string path = PrivateDirectoryPath();
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode)) {
        reason = path + " 不是文件夹";
        return std::nullopt;
    }
    if (info.st_uid != ::getuid()) {
        reason = path + " 属于其他用户";
        return std::nullopt;
    }
    if ((info.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    return path;
}

}  // namespace morvane::posix
