// The system services on Windows: the script file in the OEM code page, in
// the user's own script folder, the directory search, deleting, the start of
// the command interpreter without a window, the process list through WMI and
// the single-instance mutex.
#pragma once

#include "platform/win32/windows_inc.h"

#include "platform/runtime.h"
#include "platform/win32/unique_handle.h"

namespace morvane::win32 {

// The script's name in the script folder (platform/win32/script_folder.h).
inline constexpr const wchar_t* kScriptFileName = L"1.bat";

// The named mutex that marks a running copy of the program.
inline constexpr const wchar_t* kInstanceMutexName = L"Morvane.Pellorin.SingleInstance";

class Win32System : public SystemServices {
  public:
    Win32System();
    ~Win32System() override;
    Win32System(const Win32System&) = delete;
    Win32System& operator=(const Win32System&) = delete;

    std::string ScriptPath() const override;
    std::optional<std::string> EncodeForScript(const std::string& text) const override;
    bool WriteNewFile(const std::string& path, const std::string& bytes,
                      std::string& reason) override;
    bool DeleteFile(const std::string& path) override;
    std::optional<std::string> FindMatchingFile(const std::string& path) override;
    bool StartInterpreter(const std::string& scriptPath, std::string& reason) override;
    std::optional<std::vector<std::string>> RunningProcessNames() override;
    bool ClaimSingleInstance() override;
    InterpreterState StartedInterpreterState() override;
    bool SomethingExistsAt(const std::string& path) override;
    std::optional<std::uint64_t> RegularFileSize(const std::string& path) override;
    bool IsAbsolutePath(const std::string& path) const override;
    bool CanOpenForReading(const std::string& path) override;
    FolderAccess OutputFolderAccess(const std::string& path) override;
    bool NameFits(const std::string& path) const override;
    bool SameFile(const std::string& first, const std::string& second) override;
    bool ReadFileInPieces(const std::string& path,
                          const std::function<bool(std::string_view)>& piece) override;
    SourceReading InterpreterSourceReading() const override;
    std::optional<FileIdentity> RegularFileIdentity(const std::string& path) override;
    bool CreateEmptyFile(const std::string& path, std::string& reason) override;
    void StopInterpreter() override;
    // A session ends through the window (WM_ENDSESSION), which undoes the run.
    void SetRunningOutput(const std::string&) override {}
    bool UsesWindowsNames() const override { return true; }
    bool InScriptFolder(const std::string& path) override;

  private:
    std::wstring scriptFolder_;
    std::string scriptPath_;           // UTF-8, as the portable code sees it
    UniqueHandle startedInterpreter_;  // the process StartInterpreter started last
    UniqueHandle instanceMutex_;       // kept open for the process's life
    bool anotherCopyRunning_ = false;
};

// Text to the given code page, refusing any character the code page would
// replace by its default character. Separate from the ANSI code page so that
// tests can ask for other code pages.
std::optional<std::string> EncodeForCodePage(const std::string& text, UINT codePage);

// The system's text for an error code, in UTF-8, without the trailing line
// break and full stop.
std::string SystemReason(DWORD error);

}  // namespace morvane::win32
