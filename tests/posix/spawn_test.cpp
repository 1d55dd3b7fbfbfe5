#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/posix/spawn.h"
#include "tests/posix/temp_dir.h"

namespace morvane::posix {
namespace {

using testing::TempDir;

// Waits up to five seconds for a file to appear with some content.
std::string WaitForContent(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        const std::string text = testing::ReadFile(path);
        if (!text.empty() && text.back() == '\n') return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

TEST(SpawnDetached, RunsTheInterpreterInItsOwnSessionWithNoStreams) {
    TempDir dir;
    const std::string interpreter = dir.Write(
        "fake-cmd",
        "#!/bin/sh\n"
        "out=$(readlink /proc/$$/fd/1)\n"
        "sid=$(cut -d' ' -f6 /proc/$$/stat)\n"
        "session=ours; [ \"$sid\" -ne \"$TEST_SESSION\" ] && session=own\n"
        "printf '%s|%s|%s|%s|%s\\n' \"$1\" \"$2\" \"$(pwd)\" $session \"$out\" > \"$2.out\"\n");
    std::filesystem::permissions(interpreter, std::filesystem::perms::owner_all);
    const std::string script = dir / "1.bat";
    ::setenv("TEST_SESSION", std::to_string(::getsid(0)).c_str(), 1);
    std::string reason;
    ASSERT_TRUE(SpawnDetached(interpreter, script, reason)) << reason;
    const std::string out = WaitForContent(script + ".out");
    EXPECT_EQ(out,
              "/c|" + script + "|" + std::filesystem::current_path().string() + "|own|/dev/null\n");
    // The interpreter is not our child: nothing of ours is left to reap.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(SpawnDetached, AFailedStartIsReportedWithItsReason) {
    TempDir dir;
    std::string reason;
    EXPECT_FALSE(SpawnDetached(dir / "no-such-interpreter", dir / "1.bat", reason));
    EXPECT_EQ(reason, std::strerror(ENOENT));
    const std::string notExecutable = dir.Write("plain", "data");
    EXPECT_FALSE(SpawnDetached(notExecutable, dir / "1.bat", reason));
    EXPECT_EQ(reason, std::strerror(EACCES));
}

}  // namespace
}  // namespace morvane::posix
