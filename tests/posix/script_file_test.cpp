// The script-file cases run on the Linux services, with the private folder
// under a scratch runtime folder.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/posix/posix_system.h"
#include "tests/posix/temp_dir.h"
#include "tests/script_file_contract.h"

namespace morvane::testing {

namespace {

class PosixScriptPlatform : public ScriptPlatform {
  public:
    PosixScriptPlatform() { ::setenv("XDG_RUNTIME_DIR", runtimeDir_.Path().c_str(), 1); }
    ~PosixScriptPlatform() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    SystemServices& System() override { return system_; }
    std::string ReadWholeFile(const std::string& path) override { return ReadFile(path); }

    std::string ScratchPath(const std::string& name) override { return scratch_ / name; }
    void WriteWholeFile(const std::string& path, const std::string& bytes) override {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void MakeFolder(const std::string& path) override { std::filesystem::create_directory(path); }
    std::string MakeHiddenFile() override { return scratch_.Write(".hidden", "x\r\n"); }
    std::string OtherSpelling(const std::string& name) override {
        std::filesystem::create_symlink(name, scratch_ / "link-to-" + name);
        return scratch_ / "link-to-" + name;
    }

  private:
    TempDir runtimeDir_;
    TempDir scratch_;
    posix::PosixSystem system_;
};

}  // namespace

std::unique_ptr<ScriptPlatform> MakeScriptPlatform() {
    return std::make_unique<PosixScriptPlatform>();
}

}  // namespace morvane::testing
