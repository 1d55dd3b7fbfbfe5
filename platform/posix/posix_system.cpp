#include "platform/posix/posix_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/posix/iconv_converter.h"
#include "common/posix/unique_handle.h"
#include "platform/posix/file_query.h"
#include "platform/posix/process_list.h"
#include "platform/posix/script_folder.h"

namespace morvane::posix {

namespace {

// The size of the pieces a file is read in.
constexpr std::size_t kReadPieceSize = 1 << 20;

}  // namespace

std::string PosixSystem::ScriptPath() const { return ScriptFolderPath() + "/" + kScriptFileName; }

std::optional<std::string> PosixSystem::EncodeForScript(const std::string& text) const {
    return Utf8ToGb18030(text);
}

bool PosixSystem::WriteNewFile(const std::string& path, const std::string& bytes,
                               std::string& reason) {
    // The script's folder is made (and checked) on first use; a fresh one
    // is named after the usual one.
    if (path.rfind(UsualScriptFolderPath(), 0) == 0 && !EnsureScriptFolder(reason)) return false;
    // Whatever is at the path goes, and the file is made anew: an existing
    // link, hard link or FIFO is never written through or opened. Should
    // anything come back in between, the exclusive creation fails.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        reason = std::strerror(errno);
        return false;
    }
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid()) {
        reason = std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            reason = std::strerror(errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd.Get()) != 0) {
        fd.Release();
        reason = std::strerror(errno);
        return false;
    }
    fd.Release();
    return true;
}

bool PosixSystem::DeleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::optional<std::string> PosixSystem::FindMatchingFile(const std::string& path) {
    return posix::FindMatchingFile(path);
}

bool PosixSystem::StartInterpreter(const std::string& scriptPath, std::string& reason) {
    const auto interpreter = InterpreterPath();
    if (!interpreter) {
        reason = "找不到命令解释器 cmd.exe";
        return false;
    }
    return interpreter_.Launch(*interpreter, scriptPath, reason);
}

std::optional<std::vector<std::string>> PosixSystem::RunningProcessNames() {
    return posix::RunningProcessNames();
}

bool PosixSystem::ClaimSingleInstance() { return instanceLock_.Claim(); }

InterpreterState PosixSystem::StartedInterpreterState() { return interpreter_.State(); }

bool PosixSystem::SomethingExistsAt(const std::string& path) {
    return posix::SomethingExistsAt(path);
}

std::optional<std::uint64_t> PosixSystem::RegularFileSize(const std::string& path) {
    return posix::RegularFileSize(path);
}

bool PosixSystem::IsAbsolutePath(const std::string& path) const {
    return posix::IsAbsolutePath(path);
}

bool PosixSystem::CanOpenForReading(const std::string& path) {
    return posix::CanOpenForReading(path);
}

FolderAccess PosixSystem::OutputFolderAccess(const std::string& path) {
    return posix::OutputFolderAccess(path);
}

bool PosixSystem::NameFits(const std::string& path) const { return posix::NameFits(path); }

bool PosixSystem::SameFile(const std::string& first, const std::string& second) {
    return posix::SameFile(first, second);
}

bool PosixSystem::ReadFileInPieces(const std::string& path,
                                   const std::function<bool(std::string_view)>& piece) {
    // Opened without waiting, so that a FIFO put at the path meanwhile
    // cannot hang the program; only a regular file is then read.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    ::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> buffer(kReadPieceSize);
    while (true) {
        const ssize_t got = ::read(fd.Get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got == 0;
        if (!piece({buffer.data(), static_cast<std::size_t>(got)})) return false;
    }
}

SourceReading PosixSystem::InterpreterSourceReading() const {
    // The stand-in installed beside the program.
    return SourceReading{.encodingFromContent = true};
}

std::optional<FileIdentity> PosixSystem::RegularFileIdentity(const std::string& path) {
    return posix::RegularFileIdentity(path);
}

bool PosixSystem::CreateEmptyFile(const std::string& path, std::string& reason) {
    return posix::CreateEmptyFile(path, reason);
}

void PosixSystem::StopInterpreter() { interpreter_.Stop(); }

void PosixSystem::SetRunningOutput(const std::string& outputPath) {
    KeepRunToUndo(outputPath.empty() ? 0 : interpreter_.RunningPid(), outputPath, ScriptPath());
}

bool PosixSystem::InScriptFolder(const std::string& path) {
    return posix::InFolder(path, ScriptFolderPath());
}

}  // namespace morvane::posix
