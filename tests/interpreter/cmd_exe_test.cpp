// The cmd.exe program itself: its name, its command line and exit status.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/interpreter/test_support.h"

namespace morvane::interp::testing {
namespace {

class CmdExeTest : public ::testing::Test {
  protected:
    // Runs cmd.exe with the arguments (shell words); answers its exit status
    // and leaves its standard error in stderr_.
    int Run(const std::string& arguments) {
        const std::string command =
            std::string("'") + STAND_IN_CMD + "' " + arguments + " 2>'" + errors_ + "'";
        const int status = std::system(command.c_str());
        stderr_ = ReadFile(errors_).value_or("");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempDir folder_;
    const std::string errors_ = folder_ / "stderr.txt";
    std::string stderr_;
};

TEST_F(CmdExeTest, IsNamedCmdExe) { EXPECT_TRUE(std::string(STAND_IN_CMD).ends_with("/cmd.exe")); }

TEST_F(CmdExeTest, RunsTheScriptMorvaneWrites) {
    const std::string source = folder_ / "数据 (1).csv";
    const std::string output = folder_ / "数据 (1).csv提取.txt";
    WriteFile(source, "1,甲\r\n2,乙\r\n");
    WriteFile(folder_ / "1.bat", Cp936(MorvaneLine(source, output, ",", 2)));
    EXPECT_EQ(Run("/c '" + (folder_ / "1.bat") + "'"), 0) << stderr_;
    EXPECT_EQ(ReadFile(output), "甲\r\n乙\r\n");
    EXPECT_EQ(Run("/C '" + (folder_ / "1.bat") + "'"), 0) << stderr_;
    EXPECT_EQ(ReadFile(output), "甲\r\n乙\r\n甲\r\n乙\r\n");
}

TEST_F(CmdExeTest, ExitsWithOneWhenALineCannotRun) {
    WriteFile(folder_ / "1.bat",
              Cp936(MorvaneLine(folder_ / "missing.csv", folder_ / "o.txt", ",", 2)));
    EXPECT_EQ(Run("/c '" + (folder_ / "1.bat") + "'"), 1);
    EXPECT_NE(stderr_.find("missing.csv"), std::string::npos);
    EXPECT_FALSE(ReadFile(folder_ / "o.txt"));

    WriteFile(folder_ / "a.csv", "1,2\r\n");
    WriteFile(folder_ / "2.bat",
              Cp936(MorvaneLine(folder_ / "a.csv", folder_ / "none/o.txt", ",", 2)));
    EXPECT_EQ(Run("/c '" + (folder_ / "2.bat") + "'"), 1);
    EXPECT_NE(stderr_.find("none/o.txt"), std::string::npos);
}

TEST_F(CmdExeTest, RefusesOtherCommandLines) {
    EXPECT_EQ(Run(""), 1);
    EXPECT_NE(stderr_.find("usage"), std::string::npos);
    EXPECT_EQ(Run("/k '" + (folder_ / "1.bat") + "'"), 1);
    EXPECT_EQ(Run("/c"), 1);
    EXPECT_EQ(Run("/c '" + (folder_ / "none.bat") + "'"), 1);
    EXPECT_NE(stderr_.find("none.bat"), std::string::npos);
}

}  // namespace
}  // namespace morvane::interp::testing
