#include "platform/posix/interpreter_launch.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include "common/posix/unique_handle.h"

namespace morvane::posix {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Writes errno to the pipe and leaves; only async-signal-safe calls here.
[[noreturn]] void FailInChild(int errorPipe) {
    const int error = errno;
    [[maybe_unused]] auto written = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

// Waits for `pid` without blocking; answers its state.
InterpreterState PollChild(pid_t pid) {
    int status = 0;
    pid_t got;
    while ((got = ::waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (got == 0) return InterpreterState::Running;
    // A child that cannot be waited for any more (reaped elsewhere) has
    // ended, but nobody can say it ended well.
    if (got < 0) return InterpreterState::EndedAbnormally;
    if (WIFSIGNALED(status)) return InterpreterState::Stopped;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? InterpreterState::EndedNormally
                                                         : InterpreterState::EndedAbnormally;
}

}  // namespace

std::optional<std::string> InterpreterPath() {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return std::nullopt;
    std::string dir(self, static_cast<std::size_t>(length));
    dir.erase(dir.rfind('/'));
    for (const std::string& candidate : {dir + "/cmd.exe", dir + "/../libexec/pellorin/cmd.exe"}) {
        if (IsExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

bool InterpreterProcess::Launch(const std::string& interpreter, const std::string& script,
                                std::string& reason) {
    UniqueFd devNull(::open("/dev/null", O_RDWR | O_CLOEXEC));
    int pipeFds[2];
    if (!devNull.Valid() || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);

    // Only a child not yet reaped may be waited for: a reaped one's pid may
    // already belong to another process.
    const bool previousRunning = State() == InterpreterState::Running;

    const char* argv[] = {"cmd.exe", "/c", script.c_str(), nullptr};
    const pid_t child = ::fork();
    if (child < 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (child == 0) {
        if (::setsid() < 0) FailInChild(writeEnd.Get());
        if (::dup2(devNull.Get(), 0) < 0 || ::dup2(devNull.Get(), 1) < 0 ||
            ::dup2(devNull.Get(), 2) < 0)
            FailInChild(writeEnd.Get());
        // Nothing else of ours (the instance lock, a window system socket)
        // may leak into the interpreter.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        ::execv(interpreter.c_str(), const_cast<char* const*>(argv));
        FailInChild(writeEnd.Get());
    }

    writeEnd.Reset();
    // The pipe closes on a successful exec; an errno arrives otherwise.
    int childError = 0;
    ssize_t got;
    while ((got = ::read(readEnd.Get(), &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
    if (got == static_cast<ssize_t>(sizeof childError)) {
        // The child has left (or is leaving) with status 127: reap it now.
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
        reason = std::strerror(childError);
        return false;
    }

    if (previousRunning) earlier_.push_back(pid_);
    pid_ = child;
    state_ = InterpreterState::Running;
    return true;
}

InterpreterState InterpreterProcess::State() {
    ReapEarlier();
    if (state_ == InterpreterState::Running) state_ = PollChild(pid_);
    return state_;
}

void InterpreterProcess::Stop() {
    if (State() != InterpreterState::Running) return;
    ::kill(-pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    state_ = InterpreterState::Stopped;
}

pid_t InterpreterProcess::RunningPid() { return State() == InterpreterState::Running ? pid_ : 0; }

void InterpreterProcess::ReapEarlier() {
    earlier_.erase(
        std::remove_if(earlier_.begin(), earlier_.end(),
                       [](pid_t pid) { return PollChild(pid) != InterpreterState::Running; }),
        earlier_.end());
}

}  // namespace morvane::posix
