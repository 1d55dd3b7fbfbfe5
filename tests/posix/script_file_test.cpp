#include <gtest/gtest.h>

#include <cstdlib>

#include "extraction/extraction_job.h"
#include "extraction/script_file.h"
#include "platform/posix/posix_system.h"
#include "tests/fake_runtime.h"
#include "tests/posix/temp_dir.h"

namespace morvane {
namespace {

using testing::TempDir;

std::string ReadFile(const std::string& path) { return testing::ReadFile(path); }

class ScriptFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("XDG_RUNTIME_DIR", runtimeDir.Path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    // Writes the line composed from the boxes, as a start would.
    std::string Script(const std::string& source, const std::string& output,
                       const std::string& delimiter, const std::string& field) {
        ExtractionRequest request{source,        output,        delimiter, *ParseFieldNumber(field),
                                  kTokensClause, kDelimsClause, kInClause, kEchoClause};
        std::string reason;
        EXPECT_TRUE(WriteScriptFile(system, ComposeScriptLine(request), reason)) << reason;
        return ReadFile(system.ScriptPath());
    }

    TempDir runtimeDir;
    posix::PosixSystem system;
};

TEST_F(ScriptFileTest, ExampleLineByteForByteInCodePage936) {
    EXPECT_EQ(Script("C:\\123.txt", "C:\\321.txt提取.txt", ",", "2"),
              "for /f \"tokens=2 delims=,\" %%a in (C:\\123.txt) do @echo "
              "%%a>>C:\\321.txt\xCC\xE1\xC8\xA1.txt\r\n");
}

TEST_F(ScriptFileTest, LeadingZeroFullWidthCommaAndSpace) {
    EXPECT_EQ(Script("a", "b", "，", "07"),
              "for /f \"tokens=7 delims=\xA3\xAC\" %%a in (a) do @echo %%a>>b\r\n");
    EXPECT_EQ(Script("a", "b", " ", "1"),
              "for /f \"tokens=1 delims= \" %%a in (a) do @echo %%a>>b\r\n");
}

TEST_F(ScriptFileTest, ChinesePathsAreNotUtf8) {
    const std::string bytes = Script("/home/用户/数据.csv", "/home/用户/结果.txt", ",", "3");
    EXPECT_NE(bytes.find("/home/\xD3\xC3\xBB\xA7/\xCA\xFD\xBE\xDD.csv"), std::string::npos);
    EXPECT_EQ(bytes.find("\xE7\x94\xA8"), std::string::npos);  // "用" in UTF-8
}

TEST_F(ScriptFileTest, TheRefusalNamesTheBoxWithTheForeignCharacter) {
    testing::FakeRuntime boxes;
    boxes.texts[Control::Text1] = "/data/a.csv";
    boxes.texts[Control::Text2] = "/data/😀.txt";
    boxes.texts[Control::Text3] = "한";
    EXPECT_EQ(FirstUnencodableBox(boxes, system), Control::Text2);
    boxes.texts[Control::Text2] = "/data/结果.txt";
    EXPECT_EQ(FirstUnencodableBox(boxes, system), Control::Text3);
    boxes.texts[Control::Text3] = "，";
    EXPECT_FALSE(FirstUnencodableBox(boxes, system).has_value());
}

}  // namespace
}  // namespace morvane
