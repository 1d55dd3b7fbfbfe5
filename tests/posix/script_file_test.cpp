// The script-file cases run on the Linux services, with the private folder
// under a scratch runtime folder.
#include <cstdlib>

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

  private:
    TempDir runtimeDir_;
    posix::PosixSystem system_;
};

}  // namespace

std::unique_ptr<ScriptPlatform> MakeScriptPlatform() {
    return std::make_unique<PosixScriptPlatform>();
}

}  // namespace morvane::testing
