// Whole runs on Linux: the real system services start the stand-in
// interpreter on the real script, and the completion watch judges the real
// output file. Only the window is the recording fake. (A run that finds no
// value fails in the Qt whole-program tests, extraction_test.cpp.)
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "extraction/extraction_job.h"
#include "extraction/interpreter_gate.h"
#include "platform/posix/posix_system.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/files.h"

namespace morvane {
namespace {

using testing::FakeRuntime;
using testing::TempDir;

class ExtractionRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Any cmd.exe on the machine holds a run open (and the gate shut):
        // let one that another program started finish first.
        for (int i = 0; i < 300 && IsProcessRunning(system, "cmd.exe"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::setenv("XDG_RUNTIME_DIR", runtimeDir.Path().c_str(), 1);
        window.texts[Control::SourcePathBox] =
            files.Write("源.csv", "01,张三,男\r\n02,李四,男\r\n03,赵钱,男\r\n");
        window.texts[Control::OutputPathBox] = files / "结果.txt";
        window.texts[Control::DelimiterBox] = ",";
        window.texts[Control::FieldNumberBox] = "2";
    }
    void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    // Ticks the way the window's timer would (faster), until the run is
    // over; gives up after twenty seconds.
    void RunToCompletion() {
        job.StartAction();
        ASSERT_TRUE(window.timer) << (window.notices.empty() ? "" : window.notices[0].prompt);
        ASSERT_TRUE(std::filesystem::exists(system.ScriptPath()));
        for (int i = 0; i < 200 && window.timer; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            job.CompletionTick();
        }
        ASSERT_FALSE(window.timer) << "the run did not end";
    }

    TempDir runtimeDir;
    TempDir files;
    FakeRuntime window;
    posix::PosixSystem system;
    ExtractionJob job{window, system};
};

TEST_F(ExtractionRunTest, ColumnIsExtractedAndTheRunSucceeds) {
    const std::string output = window.texts[Control::OutputPathBox];
    RunToCompletion();
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(window.notices[0].prompt, "提取完成");
    EXPECT_EQ(testing::ReadFile(output), "张三\r\n李四\r\n赵钱\r\n");
    EXPECT_FALSE(std::filesystem::exists(system.ScriptPath())) << "script left behind";
    EXPECT_EQ(window.texts[Control::SourcePathBox], "");
    // The interpreter ended well and has been reaped: no zombie is left.
    EXPECT_EQ(system.StartedInterpreterState(), InterpreterState::EndedNormally);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(ExtractionRunTest, SomeLinesWithTheFieldAreASuccess) {
    window.texts[Control::SourcePathBox] = files.Write("partial.txt", "a b c\r\nonly\r\nx y\r\n");
    window.texts[Control::DelimiterBox] = " ";
    window.texts[Control::FieldNumberBox] = "02";
    // A dot-named output is hidden from the file query, but it is the file
    // asked for.
    window.texts[Control::OutputPathBox] = files / ".结果";
    const std::string output = window.texts[Control::OutputPathBox];
    RunToCompletion();
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(window.notices[0].title, "成功");
    EXPECT_EQ(testing::ReadFile(output), "b\r\ny\r\n");
}

TEST_F(ExtractionRunTest, AnyUnicodeNameOnLinux) {
    const std::string folder = files / "é ß 한국어 😀";
    std::filesystem::create_directory(folder);
    window.texts[Control::SourcePathBox] = folder + "/données ß 😀.csv";
    std::ofstream(window.texts[Control::SourcePathBox], std::ios::binary)
        << "01,张三,男\r\n02,Ärger,女\r\n";
    const std::string output = folder + "/결과 ñ 🙂.txt";
    window.texts[Control::OutputPathBox] = output;
    RunToCompletion();
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(window.notices[0].prompt, "提取完成");
    EXPECT_EQ(testing::ReadFile(output), "张三\r\nÄrger\r\n");
}

// A UTF-16 source: its values in UTF-16 with the mark, counted in whole code
// units (上, U+4E0A, holds a 0A byte).
TEST_F(ExtractionRunTest, AUtf16SourceGivesUtf16ValuesWithTheMark) {
    const auto utf16 = [](std::u16string_view text) {
        std::string bytes = "\xFF\xFE";
        for (const char16_t unit : text)
            bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        return bytes;
    };
    window.texts[Control::SourcePathBox] = files.Write("utf16.txt", utf16(u"1,上\r\n2,下\r\n"));
    const std::string output = window.texts[Control::OutputPathBox];
    RunToCompletion();
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(window.notices[0].prompt, "提取完成");
    EXPECT_EQ(testing::ReadFile(output), utf16(u"上\r\n下\r\n"));
}

}  // namespace
}  // namespace morvane
