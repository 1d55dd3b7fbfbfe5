// Helpers for the Windows tests: a command interpreter held running until
// the test lets it go, the process tree, registry values and environment
// variables changed for a while, and waiting scaled for an emulated run.
#pragma once

#include "platform/win32/windows_inc.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/waiting.h"

namespace morvane::wintest {

// Files and scratch folders are tests/support/files.h's.
using testing::Exists;
using testing::ReadFile;
using testing::ReadInterpreterOutput;
using testing::TempDir;
using testing::WriteFile;

// Wine's cmd.exe (or a copy of it under another name), started hidden on
// "set /p" with its input a pipe that this object holds: it runs until
// Release() (or the destructor) closes the pipe.
class HeldInterpreter {
  public:
    explicit HeldInterpreter(const std::wstring& program = L"cmd.exe");
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

// The processes started by `parentId` and, in turn, by those: the ids of
// the whole tree below it, with their executables' file names.
struct ProcessEntry {
    DWORD id = 0;
    std::wstring name;
};
std::vector<ProcessEntry> DescendantProcesses(DWORD parentId);

// The visible top-level windows of the given processes.
std::vector<HWND> VisibleWindowsOf(const std::vector<ProcessEntry>& processes);

// A registry value of HKEY_CURRENT_USER set for the object's life; the old
// value (or its absence) comes back afterwards.
class RegistryValueOverride {
  public:
    RegistryValueOverride(const std::wstring& key, const std::wstring& name, DWORD type,
                          const std::wstring& text);
    RegistryValueOverride(const std::wstring& key, const std::wstring& name, DWORD number);
    ~RegistryValueOverride();
    RegistryValueOverride(const RegistryValueOverride&) = delete;
    RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;

  private:
    void Set(DWORD type, const void* data, DWORD size);
    std::wstring key_, name_;
    std::optional<std::pair<DWORD, std::vector<BYTE>>> old_;
};

// An environment variable of this process (and so of the programs it
// starts) set for the object's life.
class EnvironmentOverride {
  public:
    EnvironmentOverride(const std::wstring& name, const std::wstring& value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

  private:
    std::wstring name_;
    std::optional<std::wstring> old_;
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
    return testing::WaitUntil(condition, std::chrono::milliseconds(timeoutMs) * WaitScale(),
                              [] { Sleep(50); });
}

}  // namespace morvane::wintest
