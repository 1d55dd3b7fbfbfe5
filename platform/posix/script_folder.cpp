#include "platform/posix/script_folder.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace morvane::posix {

namespace {

// The fresh folder in use and the script in it, as characters a signal
// handler may read; `freshKept` says whether they hold a folder.
char freshFolder[PATH_MAX];
char freshScript[PATH_MAX];
volatile std::sig_atomic_t freshKept = 0;

void KeepFreshPaths(const std::string& folder) {
    freshKept = 0;
    const std::string script = folder + "/" + kScriptFileName;
    if (script.size() >= sizeof freshScript) return;
    std::memcpy(freshFolder, folder.c_str(), folder.size() + 1);
    std::memcpy(freshScript, script.c_str(), script.size() + 1);
    freshKept = 1;
}

// The run going on, as a signal handler may read it.
volatile std::sig_atomic_t runInterpreter = 0;
char runOutput[PATH_MAX];
char runScript[PATH_MAX];
volatile std::sig_atomic_t runKept = 0;

void UndoRunAndEnd(int signal) {
    if (runKept != 0) {
        // The whole session, so that nothing the interpreter started goes on.
        if (runInterpreter > 0) ::kill(-static_cast<pid_t>(runInterpreter), SIGKILL);
        ::unlink(runOutput);
        ::unlink(runScript);
    }
    RemoveFreshScriptFolder();
    // The handler was reset as it ran: the signal, raised again, is
    // delivered as soon as the handler returns and ends the process.
    std::raise(signal);
}

// The folder in use for the current usual path. A fresh folder is removed
// again when the process ends normally, if nothing was left in it.
class FolderChoice {
  public:
    ~FolderChoice() { Forget(); }

    const std::string& Usual() const { return usual_; }
    const std::string& InUse() const { return inUse_; }
    bool Fresh() const { return !inUse_.empty() && inUse_ != usual_; }

    void Reset(const std::string& usual) {
        Forget();
        usual_ = usual;
    }
    void Use(const std::string& folder) {
        if (Fresh() && folder != inUse_) ::rmdir(inUse_.c_str());
        inUse_ = folder;
        if (Fresh())
            KeepFreshPaths(folder);
        else
            freshKept = 0;
    }

  private:
    void Forget() {
        if (Fresh()) ::rmdir(inUse_.c_str());
        inUse_.clear();
        freshKept = 0;
    }

    std::string usual_;
    std::string inUse_;
};

FolderChoice& Choice() {
    static FolderChoice choice;
    return choice;
}

bool ExclusivelyOursAt(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && ExclusivelyOurs(info);
}

}  // namespace

std::string UsualScriptFolderPath() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && runtimeDir[0] == '/') return std::string(runtimeDir) + "/pellorin";
    return "/tmp/pellorin-" + std::to_string(::getuid());
}

bool ExclusivelyOurs(const struct stat& info) {
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

std::optional<std::string> EnsureScriptFolder(std::string& reason) {
    FolderChoice& choice = Choice();
    const std::string usual = UsualScriptFolderPath();
    if (choice.Usual() != usual) choice.Reset(usual);

    // Once moved away from the usual folder, stay away while the fresh one
    // lasts: the usual one has not become trustworthy since.
    if (choice.Fresh() && ExclusivelyOursAt(choice.InUse())) return choice.InUse();

    if (!choice.Fresh()) {
        // Made now by us with mode 0700, or found a folder of ours that
        // nobody else could enter: trusted. Asked at every use, so a folder
        // removed meanwhile is made again.
        if ((::mkdir(usual.c_str(), 0700) == 0 || errno == EEXIST) && ExclusivelyOursAt(usual)) {
            choice.Use(usual);
            return usual;
        }
    }

    std::string fresh = usual + "-XXXXXX";
    if (::mkdtemp(fresh.data()) == nullptr) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    choice.Use(fresh);
    return fresh;
}

std::string ScriptFolderPath() {
    std::string reason;
    return EnsureScriptFolder(reason).value_or(UsualScriptFolderPath());
}

void RemoveFreshScriptFolder() {
    if (freshKept == 0) return;
    ::unlink(freshScript);
    ::rmdir(freshFolder);
}

void KeepRunToUndo(pid_t interpreter, const std::string& output, const std::string& script) {
    runKept = 0;
    if (output.empty() || output.size() >= sizeof runOutput || script.size() >= sizeof runScript)
        return;
    std::memcpy(runOutput, output.c_str(), output.size() + 1);
    std::memcpy(runScript, script.c_str(), script.size() + 1);
    runInterpreter = interpreter;
    runKept = 1;
}

void UndoRunAndRemoveFreshFolderOnSignals() {
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction removing {};
        removing.sa_handler = UndoRunAndEnd;
        sigemptyset(&removing.sa_mask);
        removing.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &removing, nullptr);
    }
}

bool InstanceLock::Claim() {
    if (checked_) return !elsewhere_;
    checked_ = true;
    std::string reason;
    const auto dir = EnsureScriptFolder(reason);
    // Without the usual folder there is no place every copy agrees on: a
    // fresh folder is this process's alone (the usual one is not trusted,
    // and a lock taken there by another user must not keep us from
    // starting). Let the program run.
    if (!dir || *dir != UsualScriptFolderPath()) return true;
    UniqueFd fd(::open(dir->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    // Checked again on the folder actually opened.
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !ExclusivelyOurs(info)) return true;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        elsewhere_ = errno == EWOULDBLOCK;
        return !elsewhere_;
    }
    fd_ = std::move(fd);
    return true;
}

}  // namespace morvane::posix
