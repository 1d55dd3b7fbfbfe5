#include <gtest/gtest.h>

#include "extraction/interpreter_gate.h"
#include "tests/support/fake_runtime.h"

namespace morvane {
namespace {

using testing::FakeRuntime;

TEST(ProcessNameMatches, OnlyTheWholeNameInAnyLetterCase) {
    EXPECT_TRUE(ProcessNameMatches("cmd.exe", "cmd.exe"));
    EXPECT_TRUE(ProcessNameMatches("CMD.EXE", "cmd.exe"));
    EXPECT_TRUE(ProcessNameMatches("Cmd.exe", "cmd.exe"));
    // Pieces of the name are other programs: `exe` is what a program that
    // re-runs itself through /proc/self/exe is called on Linux.
    for (const char* other : {"md.exe", ".exe", "exe", "md", "cmd", "e", "", "cmdtool.exe",
                              "cmd.exe ", "xcmd.exe", "bash"})
        EXPECT_FALSE(ProcessNameMatches(other, "cmd.exe")) << '"' << other << '"';
}

TEST(IsProcessRunning, AnswersWhetherAProcessMatches) {
    FakeRuntime runtime;
    runtime.processes = {"init", "bash"};
    EXPECT_FALSE(IsProcessRunning(runtime, "cmd.exe"));
    runtime.processes.push_back("CMD.EXE");
    EXPECT_TRUE(IsProcessRunning(runtime, "cmd.exe"));
}

TEST(IsProcessRunning, AFailingListAnswersFalse) {
    FakeRuntime runtime;
    runtime.processes = {"cmd.exe"};
    runtime.processListFails = true;
    EXPECT_FALSE(IsProcessRunning(runtime, "cmd.exe"));
}

TEST(InterpreterGate, OpensSilentlyWhenNoInterpreterRuns) {
    FakeRuntime runtime;
    runtime.processes = {"cmdtool.exe", "md.exe", "exe", ""};
    EXPECT_EQ(InterpreterGate(runtime, runtime), Gate::Open);
    EXPECT_TRUE(runtime.notices.empty());
}

TEST(InterpreterGate, BlocksWithItsNotice) {
    FakeRuntime runtime;
    runtime.processes = {"Cmd.exe"};
    EXPECT_EQ(InterpreterGate(runtime, runtime), Gate::Blocked);
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].title, "提示");
}

}  // namespace
}  // namespace morvane
