// Choosing the source and the output with the "..." buttons, and a file
// given by a drop or on the command line, through the main window's handlers.
#include <gtest/gtest.h>

#include "tests/support/fake_runtime.h"
#include "ui/file_choosing.h"
#include "ui/main_window_handlers.h"

namespace morvane {
namespace {

using testing::FakeRuntime;

class FileChoosingTest : public ::testing::Test {
  protected:
    FakeRuntime runtime;
    MainWindowHandlers handlers{runtime, runtime};
};

TEST(FileChoosing, FilterSplitsIntoTwoEntries) {
    const auto entries = ParseFilter(kFileFilter);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].description, "文本文档(*.txt)");
    EXPECT_EQ(entries[0].pattern, "*.txt");
    EXPECT_EQ(entries[1].description, "逗号分隔值文件(*.CSV)");
    EXPECT_EQ(entries[1].pattern, "*.CSV");
}

TEST_F(FileChoosingTest, ChoosingASourceProposesAnOutput) {
    runtime.dialogAnswers = {FileChoice{"D:\\data\\a.csv", 2}, FileChoice{"D:\\data\\a.csv", 1}};
    handlers.OnChooseSource();
    EXPECT_EQ(runtime.texts[Control::SourcePathBox], "D:\\data\\a.csv");
    EXPECT_EQ(runtime.texts[Control::OutputPathBox], "D:\\data\\a.csv提取.CSV");
    handlers.OnChooseSource();
    EXPECT_EQ(runtime.texts[Control::OutputPathBox], "D:\\data\\a.csv提取.txt");
    EXPECT_EQ(runtime.LogStartingWith("open-dialog"),
              std::vector<std::string>(2, std::string("open-dialog ") + kFileFilter + " 1"));
}

TEST_F(FileChoosingTest, ChoosingAnOutputAddsTheEntrysExtensionOnlyWhenTheNameHasNone) {
    runtime.texts[Control::SourcePathBox] = "keep.txt";
    runtime.dialogAnswers = {FileChoice{"D:\\data\\result", 2}, FileChoice{"D:\\out.txt", 2},
                             FileChoice{"/d.v2/.out", 1}};
    handlers.OnChooseOutput();
    EXPECT_EQ(runtime.texts[Control::OutputPathBox], "D:\\data\\result.CSV");
    handlers.OnChooseOutput();
    EXPECT_EQ(runtime.texts[Control::OutputPathBox], "D:\\out.txt");
    handlers.OnChooseOutput();
    EXPECT_EQ(runtime.texts[Control::OutputPathBox], "/d.v2/.out.txt");
    EXPECT_EQ(runtime.texts[Control::SourcePathBox], "keep.txt");
}

TEST_F(FileChoosingTest, CancelLeavesBothBoxesUntouched) {
    runtime.texts[Control::SourcePathBox] = "a";
    runtime.texts[Control::OutputPathBox] = "b";
    runtime.dialogAnswers = {std::nullopt, std::nullopt};
    handlers.OnChooseSource();
    handlers.OnChooseOutput();
    EXPECT_EQ(runtime.texts[Control::SourcePathBox], "a");
    EXPECT_EQ(runtime.texts[Control::OutputPathBox], "b");
    EXPECT_TRUE(runtime.LogStartingWith("text").empty());
}

TEST_F(FileChoosingTest, TheGateComesBeforeEitherDialog) {
    runtime.processes = {"cmd.exe"};
    handlers.OnChooseSource();
    handlers.OnChooseOutput();
    EXPECT_EQ(runtime.notices.size(), 2u);
    EXPECT_TRUE(runtime.LogStartingWith("open-dialog").empty());
    EXPECT_TRUE(runtime.LogStartingWith("save-dialog").empty());
}

// A file dropped or named on the command line: the Open dialog's outcome
// without the dialog, the proposal following the file's own extension.
TEST_F(FileChoosingTest, AGivenFileFillsBothBoxesAsTheDialogWould) {
    const std::pair<std::string, std::string> cases[] = {
        {"/d/a.txt", "/d/a.txt提取.txt"}, {"/d/B.CSV", "/d/B.CSV提取.CSV"},
        {"/d/c.csv", "/d/c.csv提取.CSV"}, {"/d/m.cSv", "/d/m.cSv提取.CSV"},
        {"/d/data", "/d/data提取.txt"},   {"/d/csv", "/d/csv提取.txt"},
    };
    for (const auto& [path, proposal] : cases) {
        runtime.existingFiles = {path};
        handlers.OnFilesGiven({path});
        EXPECT_EQ(runtime.texts[Control::SourcePathBox], path);
        EXPECT_EQ(runtime.texts[Control::OutputPathBox], proposal);
    }
    EXPECT_TRUE(runtime.notices.empty());
    EXPECT_TRUE(runtime.LogStartingWith("open-dialog").empty());
}

TEST_F(FileChoosingTest, AGivenFileMeetsTheGateFirst) {
    runtime.texts[Control::SourcePathBox] = "typed source";
    runtime.texts[Control::OutputPathBox] = "typed output";
    runtime.existingFiles = {"/d/a.csv"};
    runtime.processes = {"cmd.exe"};
    handlers.OnFilesGiven({"/d/a.csv"});
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt,
              "请先打开任务管理器，结束Cmd.exe进程，否则本程序会出现运行错误");
    EXPECT_EQ(runtime.texts[Control::SourcePathBox], "typed source");
    EXPECT_EQ(runtime.texts[Control::OutputPathBox], "typed output");
}

// A file that cannot be taken says why, naming it, and changes nothing.
TEST_F(FileChoosingTest, AGivenFileThatCannotBeTakenSaysWhy) {
    runtime.somethingAt = {"/d/folder", "/d/fifo"};
    runtime.regularFiles = {"/d/.hidden.csv"};
    runtime.existingFiles = {"/d/second.txt"};
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"/d/missing"}, "找不到文件“/d/missing”，请重新选择！"},
        {{"/d/folder", "/d/fifo"},
         "“/d/folder”不是文件（是文件夹、链接或设备），请选择TXT或CSV文件！"},
        // Start would not find it: no box is filled for that refusal.
        {{"/d/.hidden.csv", "/d/second.txt"}, "对不起，源文件路径不正确，请重新输入！"},
        // Not UTF-8: no other file is taken in its place.
        {{"/d/folder", "/d/ff\xFF.csv", "/d/second.txt"},
         "文件名“/d/ff\xFF.csv”中含有无法识别的字符，本程序打不开这个文件，请把文件改名后再试！"},
    };
    for (const auto& [paths, prompt] : refusals) {
        runtime.notices.clear();
        EXPECT_FALSE(handlers.WouldTakeFiles(paths)) << prompt;
        handlers.OnFilesGiven(paths);
        ASSERT_EQ(runtime.notices.size(), 1u) << prompt;
        EXPECT_EQ(runtime.notices[0].prompt, prompt);
        EXPECT_EQ(runtime.notices[0].title, "提示！");
    }
    handlers.OnFilesGiven({});
    EXPECT_TRUE(runtime.LogStartingWith("text").empty());
}

TEST_F(FileChoosingTest, OnlyTheFirstRegularFileIsTakenAndNothingDuringARun) {
    runtime.somethingAt = {"/d/folder"};
    runtime.existingFiles = {"/d/first.csv", "/d/second.txt"};
    handlers.OnFilesGiven({"/d/missing", "/d/folder", "/d/first.csv", "/d/second.txt"});
    EXPECT_EQ(runtime.texts[Control::SourcePathBox], "/d/first.csv");
    EXPECT_EQ(runtime.texts[Control::OutputPathBox], "/d/first.csv提取.CSV");

    // A run is going on: refused silently, even with a cmd.exe to notice.
    runtime.timer = true;
    runtime.processes = {"cmd.exe"};
    EXPECT_FALSE(handlers.WouldTakeFiles({"/d/second.txt"}));
    handlers.OnFilesGiven({"/d/second.txt"});
    EXPECT_EQ(runtime.texts[Control::SourcePathBox], "/d/first.csv");
    EXPECT_TRUE(runtime.notices.empty());
}

}  // namespace
}  // namespace morvane
