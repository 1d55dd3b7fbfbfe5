// The script-file and path cases run on the Linux services, with the private
// folder under a scratch runtime folder; and what only the Linux script does:
// GB18030 holds every character, so no path is refused for its characters.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "extraction/script_file.h"
#include "platform/posix/posix_system.h"
#include "tests/fake_runtime.h"
#include "tests/script_file_contract.h"
#include "tests/support/files.h"

namespace morvane::testing {

namespace {

class PosixScriptPlatform : public ScriptPlatform {
  public:
    PosixScriptPlatform() { ::setenv("XDG_RUNTIME_DIR", runtimeDir_.Path().c_str(), 1); }
    ~PosixScriptPlatform() override { ::unsetenv("XDG_RUNTIME_DIR"); }

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

TEST_F(ScriptFileContract, EveryUnicodeCharacterIsWrittenInGb18030) {
    EXPECT_EQ(Script("/é/ß.csv", "/한/😀.txt", ",", "2"),
              ">>\"/\x83\x36\x84\x33/\x94\x39\xFC\x36.txt\" (for /f \"usebackq tokens=2 eol=, "
              "delims=,\" %%a in (\"/\xA8\xA6/\x81\x30\x89\x38.csv\") do @echo(%%a)\r\n");
    FakeRuntime boxes;
    boxes.texts[Control::SourcePathBox] = "/données/ö ñ.csv";
    boxes.texts[Control::OutputPathBox] = "/안녕/😀.txt";
    boxes.texts[Control::DelimiterBox] = "€";
    EXPECT_EQ(FirstUnencodableBox(boxes, system), std::nullopt);
}

}  // namespace

std::unique_ptr<ScriptPlatform> MakeScriptPlatform() {
    return std::make_unique<PosixScriptPlatform>();
}

}  // namespace morvane::testing
