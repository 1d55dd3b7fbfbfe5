#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "extraction/interpreter_gate.h"
#include "platform/posix/posix_system.h"
#include "platform/posix/process_list.h"
#include "tests/support/files.h"

namespace morvane::posix {
namespace {

using testing::TempDir;

TEST(ParseProcStat, ReadsNameStateAndFlags) {
    const auto stat = ParseProcStat("1234 (cmd.exe) S 1 1234 1234 0 -1 4194560 120 0 0 0");
    ASSERT_TRUE(stat);
    EXPECT_EQ(stat->name, "cmd.exe");
    EXPECT_EQ(stat->state, 'S');
    EXPECT_EQ(stat->flags, 4194560u);
    EXPECT_TRUE(CountsAsRunningProgram(*stat));
}

TEST(ParseProcStat, NamesMayHoldSpacesAndParentheses) {
    const auto stat = ParseProcStat("77 (a) b (c)) R 1 77 77 0 -1 0 0");
    ASSERT_TRUE(stat);
    EXPECT_EQ(stat->name, "a) b (c)");
    EXPECT_EQ(stat->state, 'R');
}

TEST(ParseProcStat, GarbageIsRefused) {
    EXPECT_FALSE(ParseProcStat(""));
    EXPECT_FALSE(ParseProcStat("12 cmd.exe S"));
    EXPECT_FALSE(ParseProcStat("12 (cmd.exe) S 1"));
}

TEST(CountsAsRunningProgram, KernelThreadsAndZombiesDoNot) {
    // A kernel thread named "md", as many systems have: PF_KTHREAD is set.
    const auto kernelThread = ParseProcStat("40 (md) I 2 0 0 0 -1 69238880 0 0");
    ASSERT_TRUE(kernelThread);
    EXPECT_FALSE(CountsAsRunningProgram(*kernelThread));
    const auto zombie = ParseProcStat("41 (cmd.exe) Z 1 41 41 0 -1 4227084 0 0");
    ASSERT_TRUE(zombie);
    EXPECT_FALSE(CountsAsRunningProgram(*zombie));
}

// A copy of `sleep` named cmd.exe, so the process list shows that name.
class FakeInterpreterProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy_file("/bin/sleep", dir / "cmd.exe");
        std::filesystem::permissions(dir / "cmd.exe", std::filesystem::perms::owner_all);
    }
    pid_t Start(const char* seconds) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const std::string path = dir / "cmd.exe";
            ::execl(path.c_str(), "cmd.exe", seconds, nullptr);
            ::_exit(127);
        }
        return pid;
    }
    static bool Listed(const std::string& name) {
        const auto names = RunningProcessNames();
        return names && std::find(names->begin(), names->end(), name) != names->end();
    }
    // Waits until the listing answers `expected`, for up to two seconds.
    static bool EventuallyListed(const std::string& name, bool expected) {
        for (int i = 0; i < 200; ++i) {
            if (Listed(name) == expected) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    TempDir dir;
};

TEST_F(FakeInterpreterProcess, ARunningInterpreterMakesTheAnswerTrueUntilItEnds) {
    PosixSystem system;
    const pid_t pid = Start("30");
    ASSERT_TRUE(EventuallyListed("cmd.exe", true));
    EXPECT_TRUE(IsProcessRunning(system, "cmd.exe"));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_TRUE(EventuallyListed("cmd.exe", false));
    EXPECT_FALSE(IsProcessRunning(system, "cmd.exe"));
}

TEST_F(FakeInterpreterProcess, AZombieIsNotCounted) {
    const pid_t pid = Start("0");
    // Not reaped yet: it ends and stays a zombie until waited for.
    EXPECT_TRUE(EventuallyListed("cmd.exe", false));
    ::waitpid(pid, nullptr, 0);
}

TEST(RunningProcessNames, ListsThisProcessAndNoKernelThread) {
    const auto names = RunningProcessNames();
    ASSERT_TRUE(names);
    EXPECT_NE(std::find(names->begin(), names->end(), "posix_tests"), names->end());
    EXPECT_EQ(std::find(names->begin(), names->end(), "kthreadd"), names->end());
}

}  // namespace
}  // namespace morvane::posix
