// The services contracts run on the Linux services, with the private folder
// under a scratch runtime folder.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/posix/posix_system.h"
#include "tests/contract/services_platform.h"
#include "tests/support/files.h"

namespace morvane::testing {
namespace {

class PosixServicesPlatform : public ServicesPlatform {
  public:
    PosixServicesPlatform() { ::setenv("XDG_RUNTIME_DIR", runtimeDir_.Path().c_str(), 1); }
    ~PosixServicesPlatform() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    SystemServices& System() override { return system_; }
    bool MakeFolder(const std::string& path) override { return ::mkdir(path.c_str(), 0700) == 0; }
    std::string ScratchFolder() override { return scratch_.Path(); }
    char PathSeparator() const override { return '/'; }

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

std::unique_ptr<ServicesPlatform> MakeServicesPlatform() {
    return std::make_unique<PosixServicesPlatform>();
}

}  // namespace morvane::testing
