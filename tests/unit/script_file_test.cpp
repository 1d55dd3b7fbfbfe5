#include <gtest/gtest.h>

#include "extraction/script_file.h"
#include "tests/support/fake_runtime.h"

namespace morvane {
namespace {

TEST(WriteScriptFile, WritesTheEncodedLineAndCrLfToTheScriptPath) {
    testing::FakeRuntime runtime;
    std::string reason;
    ASSERT_TRUE(WriteScriptFile(runtime, "for x", reason));
    EXPECT_EQ(runtime.writtenFiles.at(runtime.ScriptPath()), "for x\r\n");
}

TEST(WriteScriptFile, ReportsTheSystemsReason) {
    testing::FakeRuntime runtime;
    runtime.writeFailure = "Access is denied.";
    std::string reason;
    EXPECT_FALSE(WriteScriptFile(runtime, "for x", reason));
    EXPECT_EQ(reason, "Access is denied.");
}

TEST(FirstUnencodableBox, NamesTheFirstBoxInSourceOutputDelimiterOrder) {
    testing::FakeRuntime runtime;
    runtime.unencodable = {"☃"};
    runtime.texts[Control::SourcePathBox] = "a.txt";
    runtime.texts[Control::OutputPathBox] = "b☃.txt";
    runtime.texts[Control::DelimiterBox] = "☃";
    EXPECT_EQ(FirstUnencodableBox(runtime, runtime), Control::OutputPathBox);
    runtime.texts[Control::SourcePathBox] = "☃.txt";
    EXPECT_EQ(FirstUnencodableBox(runtime, runtime), Control::SourcePathBox);
    runtime.texts[Control::SourcePathBox] = "a.txt";
    runtime.texts[Control::OutputPathBox] = "b.txt";
    EXPECT_EQ(FirstUnencodableBox(runtime, runtime), Control::DelimiterBox);
    runtime.texts[Control::DelimiterBox] = ",";
    EXPECT_FALSE(FirstUnencodableBox(runtime, runtime).has_value());
}

}  // namespace
}  // namespace morvane
