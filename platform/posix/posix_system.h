// The system services on Linux.
#pragma once

#include "platform/posix/interpreter_launch.h"
#include "platform/posix/script_folder.h"
#include "platform/runtime.h"

namespace morvane::posix {

class PosixSystem : public SystemServices {
  public:
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
    void SetRunningOutput(const std::string& outputPath) override;
    bool UsesWindowsNames() const override { return false; }
    bool InScriptFolder(const std::string& path) override;

  private:
    InstanceLock instanceLock_;
    InterpreterProcess interpreter_;
};

}  // namespace morvane::posix
