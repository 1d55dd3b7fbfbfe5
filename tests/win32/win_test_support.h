// Helpers for the Windows tests: temporary folders, whole-file reads and a
// command interpreter held running until the test lets it go.
#pragma once

#include "platform/win32/windows_inc.h"

#include <string>

namespace morvane::wintest {

// A new empty folder under the temporary folder, removed with its files.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder's path in UTF-8, without a trailing backslash.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

std::string ReadBytes(const std::string& path);  // "" when missing
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// Wine's cmd.exe, started hidden on "set /p" with its input a pipe that this
// object holds: it runs until Release() (or the destructor) closes the pipe.
class HeldInterpreter {
  public:
    HeldInterpreter();
    ~HeldInterpreter();
    HeldInterpreter(const HeldInterpreter&) = delete;
    HeldInterpreter& operator=(const HeldInterpreter&) = delete;
    bool Started() const { return process_ != nullptr; }
    // Lets the interpreter end and waits (at most 10 s) until it has.
    void Release();

  private:
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;
};

// Runs `commandLine` hidden and waits for it (at most `timeoutMs`).
// Answers its exit code, or -1.
int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs);

// How many times longer every wait may take: $MORVANE_WAIT_SCALE (a whole
// number, 1 when unset), for a program under test that runs emulated.
DWORD WaitScale();

// Polls `condition` every 50 ms for at most `timeoutMs` times WaitScale().
template <class F>
bool WaitFor(F condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs) * WaitScale();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

}  // namespace morvane::wintest
