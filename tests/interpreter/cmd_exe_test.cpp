// The cmd.exe program itself: its name, its command line and exit status,
// and what it does with sources that never end, arrive slowly or shrink.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/interpreter/test_support.h"
#include "tests/support/waiting.h"

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
    WriteFile(folder_ / "1.bat", Gb18030(MorvaneLine(source, output, ",", 2)));
    EXPECT_EQ(Run("/c '" + (folder_ / "1.bat") + "'"), 0) << stderr_;
    EXPECT_EQ(ReadFile(output), "甲\r\n乙\r\n");
    // A second run finds the output there: not its own, so not written.
    EXPECT_EQ(Run("/C '" + (folder_ / "1.bat") + "'"), 1);
    EXPECT_NE(stderr_.find("not created by this run"), std::string::npos) << stderr_;
    EXPECT_EQ(ReadFile(output), "甲\r\n乙\r\n");
}

TEST_F(CmdExeTest, ExitsWithOneWhenALineCannotRun) {
    WriteFile(folder_ / "1.bat",
              Gb18030(MorvaneLine(folder_ / "missing.csv", folder_ / "o.txt", ",", 2)));
    EXPECT_EQ(Run("/c '" + (folder_ / "1.bat") + "'"), 1);
    EXPECT_NE(stderr_.find("missing.csv"), std::string::npos);
    EXPECT_EQ(ReadFile(folder_ / "o.txt"), "");

    WriteFile(folder_ / "a.csv", "1,2\r\n");
    WriteFile(folder_ / "2.bat",
              Gb18030(MorvaneLine(folder_ / "a.csv", folder_ / "none/o.txt", ",", 2)));
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

// Starts `program` /c `script` with its standard input from a pipe that the
// caller feeds, its errors into `errors`, and (when not 0) an address-space
// limit.
class Started {
  public:
    Started(const char* program, const std::string& script, const std::string& errors,
            rlim_t addressSpace = 0) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[0], 0);
            ::close(fds[0]);
            ::close(fds[1]);
            const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, 2);
            if (addressSpace != 0) {
                const rlimit limit{addressSpace, addressSpace};
                ::setrlimit(RLIMIT_AS, &limit);
            }
            ::execl(program, "cmd.exe", "/c", script.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[0]);
        input_ = fds[1];
    }
    ~Started() {
        CloseInput();
        if (pid_ > 0) Wait();
    }
    bool Feed(const std::string& bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(input_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    void Signal(int signal) { ::kill(pid_, signal); }
    void CloseInput() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }
    // The exit status; -1 when it did not exit normally.
    int Wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int input_ = -1;
};

TEST_F(CmdExeTest, AnEndlessLineEndsWithAnErrorWithinTwoGibibytes) {
    WriteFile(folder_ / "1.bat", Gb18030(MorvaneLine("/dev/zero", folder_ / "o.txt", ",", 1)));
    Started run(UNSANITIZED_STAND_IN_CMD, folder_ / "1.bat", errors_, rlim_t{2} << 30);
    EXPECT_EQ(run.Wait(), 1);
    EXPECT_NE(ReadFile(errors_).value_or("").find("longer than 1 GiB"), std::string::npos)
        << ReadFile(errors_).value_or("");
    EXPECT_EQ(ReadFile(folder_ / "o.txt"), "");
}

TEST_F(CmdExeTest, ATerminatedRunTakesBackItsOutput) {
    const std::string output = folder_ / "o.txt";
    WriteFile(folder_ / "1.bat", Gb18030(MorvaneLine("/dev/stdin", output, ",", 2)));
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        Started run(STAND_IN_CMD, folder_ / "1.bat", errors_);
        ASSERT_TRUE(run.Feed("a,1\r\n"));
        EXPECT_TRUE(morvane::testing::WaitUntil(
            [&] { return ReadFile(output).has_value(); }, std::chrono::seconds(10),
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }));
        run.Signal(signal);
        EXPECT_EQ(run.Wait(), -1) << "ended by the signal " << signal;
        EXPECT_EQ(ReadFile(output), "") << signal;
        ::unlink(output.c_str());
    }
}

TEST_F(CmdExeTest, OneLongLineThroughAPipeTakesLinearTime) {
    const std::string script = folder_ / "1.bat";
    WriteFile(script, Gb18030(MorvaneLine("/dev/stdin", folder_ / "o.txt", ",", 2)));
    // The best of three runs, in seconds, for a line of `size` bytes.
    const auto seconds = [&](std::size_t size) {
        const std::string line = "a," + std::string(size, 'x') + "\r\n";
        double best = 1e9;
        for (int round = 0; round < 3; ++round) {
            ::unlink((folder_ / "o.txt").c_str());
            const auto start = std::chrono::steady_clock::now();
            Started run(UNSANITIZED_STAND_IN_CMD, script, errors_);
            EXPECT_TRUE(run.Feed(line));
            run.CloseInput();
            EXPECT_EQ(run.Wait(), 0) << ReadFile(errors_).value_or("");
            best = std::min(
                best,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        std::error_code missing;
        EXPECT_EQ(std::filesystem::file_size(folder_ / "o.txt", missing), size + 2);
        return best;
    };
    const double twenty = seconds(20'000'000);
    const double forty = seconds(40'000'000);
    // Twice the line takes twice the time; quadratic work would take four
    // times. The bound leaves room for a machine busy with other tests.
    EXPECT_LT(forty, 3.2 * twenty) << "20 MB: " << twenty << " s, 40 MB: " << forty << " s";
}

TEST_F(CmdExeTest, ASourceCutShortWhileReadIsAnError) {
    // The second loop empties its own source with its first value (">" on
    // the file the first loop made): the rest it expected is gone.
    const std::string source = folder_ / "in.csv";
    const std::string copy = folder_ / "copy.csv";
    std::string lines;
    for (int i = 0; i < 200'000; ++i) lines += "a,b\r\n";
    WriteFile(source, lines);
    WriteFile(folder_ / "1.bat",
              Gb18030("for /f \"delims=\" %%a in (" + source + ") do @echo %%a>>" + copy +
                      "\r\nfor /f \"usebackq tokens=2 delims=,\" %%a in (\"" + copy +
                      "\") do @echo %%a>\"" + copy + "\"\r\n"));
    EXPECT_EQ(Run("/c '" + (folder_ / "1.bat") + "'"), 1);
    EXPECT_NE(stderr_.find("became shorter"), std::string::npos) << stderr_;
}

}  // namespace
}  // namespace morvane::interp::testing
