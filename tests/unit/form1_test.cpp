#include <gtest/gtest.h>

#include "tests/fake_runtime.h"
#include "ui/file_choosing.h"
#include "ui/form1.h"

namespace morvane {
namespace {

using testing::FakeRuntime;

class Form1Test : public ::testing::Test {
  protected:
    FakeRuntime runtime;
    Form1 form{runtime, runtime};
};

TEST_F(Form1Test, SecondInstanceShowsOnlyItsNoticeAndEnds) {
    runtime.previousInstance = true;
    EXPECT_FALSE(form.Form_Load());
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt, "一次只能运行一个程序,否则可能造成程序出错!");
    EXPECT_EQ(runtime.notices[0].title, "提示");
    EXPECT_TRUE(runtime.ended);
}

TEST_F(Form1Test, FirstInstanceLoadsSilently) {
    EXPECT_TRUE(form.Form_Load());
    EXPECT_TRUE(runtime.notices.empty());
    EXPECT_FALSE(runtime.ended);
}

TEST_F(Form1Test, ExitEndsAtOnceWithoutANotice) {
    form.Command4_Click();
    EXPECT_TRUE(runtime.ended);
    EXPECT_TRUE(runtime.notices.empty());
    EXPECT_TRUE(runtime.writtenFiles.empty());
}

TEST_F(Form1Test, KeyPressReplacesRefusedCodesByZero) {
    for (int code : {int{'a'}, int{'-'}, int{'.'}, 22, 3, 24, 13, 0x4E2D}) {
        int key = code;
        form.Text4_KeyPress(key);
        EXPECT_EQ(key, 0) << code;
    }
    for (int code : {int{'0'}, int{'5'}, int{'9'}, 8}) {
        int key = code;
        form.Text4_KeyPress(key);
        EXPECT_EQ(key, code);
    }
}

TEST_F(Form1Test, ExampleButtonShowsTheExampleWindow) {
    form.Command5_Click();
    form.Command5_Click();
    EXPECT_EQ(runtime.exampleShows, 2);
}

TEST(FileChoosing, FilterSplitsIntoTwoEntries) {
    const auto entries = ParseFilter(kFileFilter);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].description, "文本文档(*.txt)");
    EXPECT_EQ(entries[0].pattern, "*.txt");
    EXPECT_EQ(entries[1].description, "逗号分隔值文件(*.CSV)");
    EXPECT_EQ(entries[1].pattern, "*.CSV");
}

TEST_F(Form1Test, ChoosingASourceProposesAnOutput) {
    runtime.dialogAnswers = {FileChoice{"D:\\data\\a.csv", 2}, FileChoice{"D:\\data\\a.csv", 1}};
    form.Command1_Click();
    EXPECT_EQ(runtime.texts[Control::Text1], "D:\\data\\a.csv");
    EXPECT_EQ(runtime.texts[Control::Text2], "D:\\data\\a.csv提取.CSV");
    form.Command1_Click();
    EXPECT_EQ(runtime.texts[Control::Text2], "D:\\data\\a.csv提取.txt");
    EXPECT_EQ(runtime.LogStartingWith("open-dialog"),
              std::vector<std::string>(2, std::string("open-dialog ") + kFileFilter + " 1"));
}

TEST_F(Form1Test, ChoosingAnOutputAppendsTheEntrysExtension) {
    runtime.texts[Control::Text1] = "keep.txt";
    runtime.dialogAnswers = {FileChoice{"D:\\data\\result", 2}, FileChoice{"D:\\out.txt", 1}};
    form.Command2_Click();
    EXPECT_EQ(runtime.texts[Control::Text2], "D:\\data\\result.CSV");
    form.Command2_Click();
    EXPECT_EQ(runtime.texts[Control::Text2], "D:\\out.txt.txt");
    EXPECT_EQ(runtime.texts[Control::Text1], "keep.txt");
}

TEST_F(Form1Test, CancelLeavesBothBoxesUntouched) {
    runtime.texts[Control::Text1] = "a";
    runtime.texts[Control::Text2] = "b";
    runtime.dialogAnswers = {std::nullopt, std::nullopt};
    form.Command1_Click();
    form.Command2_Click();
    EXPECT_EQ(runtime.texts[Control::Text1], "a");
    EXPECT_EQ(runtime.texts[Control::Text2], "b");
    EXPECT_TRUE(runtime.LogStartingWith("text").empty());
}

TEST_F(Form1Test, TheGateComesBeforeEitherDialog) {
    runtime.processes = {"cmd.exe"};
    form.Command1_Click();
    form.Command2_Click();
    EXPECT_EQ(runtime.notices.size(), 2u);
    EXPECT_TRUE(runtime.LogStartingWith("open-dialog").empty());
    EXPECT_TRUE(runtime.LogStartingWith("save-dialog").empty());
}

// A file dropped or named on the command line: the Open dialog's outcome
// without the dialog, the proposal following the file's own extension.
TEST_F(Form1Test, AGivenFileFillsBothBoxesAsTheDialogWould) {
    const std::pair<std::string, std::string> cases[] = {
        {"/d/a.txt", "/d/a.txt提取.txt"}, {"/d/B.CSV", "/d/B.CSV提取.CSV"},
        {"/d/c.csv", "/d/c.csv提取.CSV"}, {"/d/m.cSv", "/d/m.cSv提取.CSV"},
        {"/d/data", "/d/data提取.txt"},   {"/d/csv", "/d/csv提取.txt"},
    };
    for (const auto& [path, proposal] : cases) {
        runtime.existingFiles = {path};
        form.Form_FilesGiven({path});
        EXPECT_EQ(runtime.texts[Control::Text1], path);
        EXPECT_EQ(runtime.texts[Control::Text2], proposal);
    }
    EXPECT_TRUE(runtime.notices.empty());
    EXPECT_TRUE(runtime.LogStartingWith("open-dialog").empty());
}

TEST_F(Form1Test, AGivenFileMeetsTheGateFirst) {
    runtime.texts[Control::Text1] = "typed source";
    runtime.texts[Control::Text2] = "typed output";
    runtime.existingFiles = {"/d/a.csv"};
    runtime.processes = {"cmd.exe"};
    form.Form_FilesGiven({"/d/a.csv"});
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt,
              "请先打开任务管理器，结束Cmd.exe进程，否则本程序会出现运行错误");
    EXPECT_EQ(runtime.texts[Control::Text1], "typed source");
    EXPECT_EQ(runtime.texts[Control::Text2], "typed output");
}

TEST_F(Form1Test, OnlyTheFirstRegularFileIsTakenAndNothingDuringARun) {
    runtime.somethingAt = {"/d/folder", "/d/link"};
    runtime.regularFiles = {"/d/.hidden.csv"};
    runtime.existingFiles = {"/d/second.txt"};
    form.Form_FilesGiven({"/d/folder", "/d/link"});
    form.Form_FilesGiven({});
    EXPECT_TRUE(runtime.LogStartingWith("text").empty());

    form.Form_FilesGiven({"/d/missing", "/d/folder", "/d/.hidden.csv", "/d/second.txt"});
    EXPECT_EQ(runtime.texts[Control::Text1], "/d/.hidden.csv");
    EXPECT_EQ(runtime.texts[Control::Text2], "/d/.hidden.csv提取.CSV");

    // A run is going on: refused silently, even with a cmd.exe to notice.
    runtime.timer = true;
    runtime.processes = {"cmd.exe"};
    form.Form_FilesGiven({"/d/second.txt"});
    EXPECT_EQ(runtime.texts[Control::Text1], "/d/.hidden.csv");
    EXPECT_TRUE(runtime.notices.empty());
}

}  // namespace
}  // namespace morvane
