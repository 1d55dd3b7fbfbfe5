#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/posix/interpreter_launch.h"
#include "tests/support/files.h"

namespace morvane::posix {
namespace {

using testing::TempDir;

// Waits up to five seconds for a file to appear with some content.
std::string WaitForContent(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        const std::string text = testing::ReadFile(path).value_or("");
        if (!text.empty() && text.back() == '\n') return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

// Polls until the interpreter is no longer running; gives up after five
// seconds.
InterpreterState WaitForEnd(InterpreterProcess& process) {
    InterpreterState state = process.State();
    for (int i = 0; i < 500 && state == InterpreterState::Running; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        state = process.State();
    }
    return state;
}

std::string Executable(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// The interpreter scripts below write their pid to SCRIPT.pid. A child that
// has been reaped can no longer be waited for.
void ExpectReaped(const std::string& script) {
    const std::string pid = WaitForContent(script + ".pid");
    ASSERT_FALSE(pid.empty());
    EXPECT_EQ(::waitpid(std::stoi(pid), nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(InterpreterProcess, RunsTheInterpreterInItsOwnSessionWithNoStreams) {
    TempDir dir;
    const std::string interpreter =
        Executable(dir, "fake-cmd",
                   "echo $$ > \"$2.pid\"\n"
                   "out=$(readlink /proc/$$/fd/1)\n"
                   "sid=$(cut -d' ' -f6 /proc/$$/stat)\n"
                   "session=ours; [ \"$sid\" -ne \"$TEST_SESSION\" ] && session=own\n"
                   "leak=none\n"
                   "for f in /proc/$$/fd/*; do\n"
                   "  [ \"$(readlink $f)\" = \"$MARKER\" ] && leak=marker\n"
                   "done\n"
                   "printf '%s|%s|%s|%s|%s|%s\\n' \"$1\" \"$2\" \"$(pwd)\" $session \"$out\" "
                   "$leak > \"$2.out\"\n");
    const std::string script = dir / "1.bat";
    ::setenv("TEST_SESSION", std::to_string(::getsid(0)).c_str(), 1);
    // A descriptor of ours that would be inherited by an ordinary exec.
    const std::string marker = dir.Write("marker", "");
    ::setenv("MARKER", marker.c_str(), 1);
    const int inheritable = ::open(marker.c_str(), O_RDONLY);
    ASSERT_GE(inheritable, 0);
    InterpreterProcess process;
    std::string reason;
    ASSERT_TRUE(process.Launch(interpreter, script, reason)) << reason;
    ::close(inheritable);
    const std::string out = WaitForContent(script + ".out");
    EXPECT_EQ(out, "/c|" + script + "|" + std::filesystem::current_path().string() +
                       "|own|/dev/null|none\n");
    EXPECT_EQ(WaitForEnd(process), InterpreterState::EndedNormally);
    ExpectReaped(script);
}

TEST(InterpreterProcess, TellsRunningFromANormalAndAnAbnormalEnd) {
    TempDir dir;
    const std::string gate = dir / "gate";
    // Runs until the gate file appears, then leaves with the status in it.
    const std::string interpreter = Executable(dir, "fake-cmd",
                                               "echo $$ > \"$2.pid\"\n"
                                               "while [ ! -e \"$GATE\" ]; do sleep 0.02; done\n"
                                               "exit $(cat \"$GATE\")\n");
    ::setenv("GATE", gate.c_str(), 1);
    InterpreterProcess process;
    EXPECT_EQ(process.State(), InterpreterState::NotStarted);
    std::string reason;
    for (const char* status : {"0", "3"}) {
        std::filesystem::remove(gate);
        ASSERT_TRUE(process.Launch(interpreter, dir / "1.bat", reason)) << reason;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(process.State(), InterpreterState::Running);
        dir.Write("gate", status);
        EXPECT_EQ(WaitForEnd(process), std::string(status) == "0"
                                           ? InterpreterState::EndedNormally
                                           : InterpreterState::EndedAbnormally)
            << status;
        // The answer stays once the child has been reaped.
        EXPECT_EQ(process.State(), WaitForEnd(process));
    }
    std::filesystem::remove(gate);
    std::filesystem::remove(dir / "1.bat.pid");
    ASSERT_TRUE(process.Launch(interpreter, dir / "1.bat", reason)) << reason;
    const std::string pid = WaitForContent(dir / "1.bat.pid");
    ASSERT_FALSE(pid.empty());
    ASSERT_EQ(::kill(std::stoi(pid), SIGKILL), 0);
    EXPECT_EQ(WaitForEnd(process), InterpreterState::Stopped);
    ExpectReaped(dir / "1.bat");
}

TEST(InterpreterProcess, AnEarlierInterpreterStillRunningIsReapedOnceItEnds) {
    TempDir dir;
    const std::string gate = dir / "gate";
    const std::string interpreter = Executable(dir, "fake-cmd",
                                               "echo $$ > \"$2.pid\"\n"
                                               "[ \"$2\" = \"$FAST\" ] && exit 0\n"
                                               "while [ ! -e \"$GATE\" ]; do sleep 0.02; done\n");
    ::setenv("GATE", gate.c_str(), 1);
    ::setenv("FAST", (dir / "fast.bat").c_str(), 1);
    InterpreterProcess process;
    std::string reason;
    ASSERT_TRUE(process.Launch(interpreter, dir / "slow.bat", reason)) << reason;
    ASSERT_TRUE(process.Launch(interpreter, dir / "fast.bat", reason)) << reason;
    // The answer is about the last one only.
    EXPECT_EQ(WaitForEnd(process), InterpreterState::EndedNormally);
    dir.Write("gate", "");
    // Asking about the last one reaps the earlier one once it has ended.
    const std::string slowPid = WaitForContent(dir / "slow.bat.pid");
    ASSERT_FALSE(slowPid.empty());
    for (int i = 0; i < 500 && ::kill(std::stoi(slowPid), 0) == 0; ++i) {
        process.State();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ExpectReaped(dir / "slow.bat");
    ExpectReaped(dir / "fast.bat");
}

TEST(InterpreterProcess, AFailedStartIsReportedWithItsReason) {
    TempDir dir;
    InterpreterProcess process;
    std::string reason;
    EXPECT_FALSE(process.Launch(dir / "no-such-interpreter", dir / "1.bat", reason));
    EXPECT_EQ(reason, std::strerror(ENOENT));
    const std::string notExecutable = dir.Write("plain", "data");
    EXPECT_FALSE(process.Launch(notExecutable, dir / "1.bat", reason));
    EXPECT_EQ(reason, std::strerror(EACCES));
    EXPECT_EQ(process.State(), InterpreterState::NotStarted);
}

}  // namespace
}  // namespace morvane::posix
