#include <gtest/gtest.h>

#include "extraction/request_validation.h"
#include "tests/support/fake_runtime.h"

namespace morvane {
namespace {

using testing::FakeRuntime;

class ValidationTest : public ::testing::Test {
  protected:
    void Fill(const std::string& source, const std::string& output, const std::string& delimiter,
              const std::string& field) {
        runtime.texts[Control::SourcePathBox] = source;
        runtime.texts[Control::OutputPathBox] = output;
        runtime.texts[Control::DelimiterBox] = delimiter;
        runtime.texts[Control::FieldNumberBox] = field;
    }
    // Validates and answers the only notice's prompt ("" when none), checking
    // its title and the focus move that follows it.
    std::string OnlyNotice(Control expectedFocus) {
        const bool passed = ValidateRequest(runtime, runtime);
        if (passed) {
            EXPECT_TRUE(runtime.notices.empty());
            return "";
        }
        EXPECT_EQ(runtime.notices.size(), 1u);
        EXPECT_EQ(runtime.notices.at(0).title, "提示！");
        EXPECT_EQ(runtime.focus, expectedFocus);
        EXPECT_EQ(runtime.LogStartingWith("focus").size(), 1u);
        // The focus moves after the notice has been closed.
        EXPECT_EQ(runtime.log.back().rfind("focus", 0), 0u);
        return runtime.notices.at(0).prompt;
    }
    FakeRuntime runtime;
};

TEST_F(ValidationTest, AllEmptyShowsOnlyTheFirstNotice) {
    Fill("", "", "", "");
    EXPECT_EQ(OnlyNotice(Control::SourcePathBox), "请输入源文件路径！");
}

TEST_F(ValidationTest, EmptyBoxesAreReportedInOrder) {
    Fill("a.txt", "", "", "");
    EXPECT_EQ(OnlyNotice(Control::OutputPathBox), "请输入输出路径！");
}

TEST_F(ValidationTest, DelimiterCheckComesBeforeTheSourceCheck) {
    Fill("missing.txt", "out.txt", "", "2");
    EXPECT_EQ(OnlyNotice(Control::DelimiterBox), "请输入分割符号！");
}

TEST_F(ValidationTest, MissingOrPastedFieldNumber) {
    runtime.existingFiles = {"a.txt"};
    for (const char* field : {"", "a", "1x"}) {
        runtime.notices.clear();
        runtime.log.clear();
        Fill("a.txt", "out.txt", ",", field);
        EXPECT_EQ(OnlyNotice(Control::FieldNumberBox), "选择你需要提取的段落编号！") << field;
    }
}

TEST_F(ValidationTest, SpacesAreNotEmpty) {
    Fill(" ", " ", " ", "2");
    EXPECT_EQ(OnlyNotice(Control::SourcePathBox), "对不起，源文件路径不正确，请重新输入！");
}

TEST_F(ValidationTest, AnOutputThatIsTheSourceBySameOrAnotherSpellingIsRefused) {
    runtime.existingFiles = {"a.txt"};
    runtime.somethingAt = {"./link-to-a"};
    runtime.sameFilePairs = {{"a.txt", "./link-to-a"}};
    for (const char* output : {"a.txt", "./link-to-a"}) {
        runtime.notices.clear();
        runtime.log.clear();
        runtime.focus = Control::SourcePathBox;
        Fill("a.txt", output, ",", "2");
        EXPECT_EQ(OnlyNotice(Control::OutputPathBox), "源文件名和导出文件名不能相同！") << output;
    }
}

TEST_F(ValidationTest, ExistingOutputIsRefused) {
    runtime.existingFiles = {"a.txt", "A.TXT"};
    Fill("a.txt", "A.TXT", ",", "2");
    EXPECT_EQ(OnlyNotice(Control::OutputPathBox), "导出文件名已存在，请重新输入！");
}

TEST_F(ValidationTest, WhatTheScriptLineCannotCarryIsRefusedBeforeTheFileChecks) {
    const std::string control = "路径或分割符号中不能含有换行符等控制字符，请修改后再试！";
    const std::string quoteInPath = "路径中不能含有双引号，请修改后再试！";
    const struct {
        std::string source, output, delimiter;
        std::string prompt;
        Control focus;
    } cases[] = {
        {"/x\necho pwned>>~/.bashrc\n/f.txt", "out.txt", ",", control, Control::SourcePathBox},
        {"a.txt", "o\rut.txt", ",", control, Control::OutputPathBox},
        {"a.txt", "out.txt", "\x1F", control, Control::DelimiterBox},
        {"a\t.txt", "out.txt", "\t", control, Control::SourcePathBox},
        {std::string("a\0b.txt", 7), "out.txt", ",", control, Control::SourcePathBox},
        {"a.txt", "o\x7Fut.txt", ",", control, Control::OutputPathBox},
        {"a\x1B.txt", "o\"ut.txt", ",", control, Control::SourcePathBox},
        {"a\".txt", "out.txt", ",", quoteInPath, Control::SourcePathBox},
        {"a\xED\xA0\x80.txt", "out.txt", ",",
         "路径或分割符号中含有无法写入脚本文件的字符，请修改后再试！", Control::SourcePathBox},
        {"a.txt", "out\".txt", "\"", quoteInPath, Control::OutputPathBox},
        {"a.txt", "out.txt", "\"", "分割符号不能是双引号，请换一个分割符号！",
         Control::DelimiterBox},
        {"a.txt", "50%a.txt", ",", "输出路径中不能含有“%a”或“%~”，请修改后再试！",
         Control::OutputPathBox},
        {"a.txt", "x%~nxa", ",", "输出路径中不能含有“%a”或“%~”，请修改后再试！",
         Control::OutputPathBox},
    };
    for (const auto& c : cases) {
        runtime.notices.clear();
        runtime.log.clear();
        Fill(c.source, c.output, c.delimiter, "2");
        EXPECT_EQ(OnlyNotice(c.focus), c.prompt) << c.source << " | " << c.output;
        EXPECT_TRUE(runtime.LogStartingWith("query").empty()) << "asked the file system first";
    }
    // A source may hold "%a" (the loop's set is read before any value
    // exists), and "%A" is another variable.
    runtime.notices.clear();
    runtime.existingFiles = {"%a%.txt"};
    Fill("%a%.txt", "%A% 100%.txt", ";", "2");
    EXPECT_EQ(OnlyNotice(Control::SourcePathBox), "");
    Fill("%a%.txt", "out.txt", "\t", "2");  // a tab-separated file
    EXPECT_EQ(OnlyNotice(Control::SourcePathBox), "");
}

TEST_F(ValidationTest, AnythingAtTheOutputPathIsRefusedThoughTheQueryMissesIt) {
    runtime.existingFiles = {"a.txt"};
    runtime.regularFiles = {".hidden"};
    runtime.somethingAt = {"link", "fifo"};
    for (const char* output : {".hidden", "link", "fifo"}) {
        runtime.notices.clear();
        runtime.log.clear();
        Fill("a.txt", output, ",", "2");
        EXPECT_EQ(OnlyNotice(Control::OutputPathBox), "导出文件名已存在，请重新输入！") << output;
    }
}

TEST_F(ValidationTest, WhatWouldMakeTheRunFailIsRefusedAfterTheSevenChecks) {
    runtime.existingFiles = {"a.txt", "data?.csv"};
    runtime.relativePaths = {"a.txt", "rel.txt"};
    runtime.unreadable = {"locked.csv"};
    runtime.existingFiles.insert("locked.csv");
    runtime.outputFolders = {{"/gone/o.txt", FolderAccess::Missing},
                             {"/file/o.txt", FolderAccess::NotAFolder},
                             {"/ro/o.txt", FolderAccess::NotWritable}};
    runtime.tooLong = {"/long.txt"};
    const std::string relative = "必须是从根目录或盘符开始的完整路径，请重新输入！";
    const std::string wildcard = "路径中不能含有“*”或“?”，请修改后再试！";
    const struct {
        std::string source, output, prompt;
        Control focus;
    } cases[] = {
        {"a.txt", "/o.txt", "源文件路径" + relative, Control::SourcePathBox},
        {"data?.csv", "rel.txt", "输出路径" + relative, Control::OutputPathBox},
        {"data?.csv", "/o.txt", wildcard, Control::SourcePathBox},
        {"locked.csv", "/new*.txt", wildcard, Control::OutputPathBox},
        {"locked.csv", "/o.txt", "无法读取源文件：没有读取权限，或正被其他程序独占打开！",
         Control::SourcePathBox},
        {"/a", "/gone/o.txt", "输出路径所在的文件夹不存在，请重新输入！", Control::OutputPathBox},
        {"/a", "/file/o.txt", "输出路径所在的位置不是文件夹，请重新输入！", Control::OutputPathBox},
        {"/a", "/ro/o.txt", "没有在输出路径所在的文件夹中新建文件的权限，请换一个文件夹！",
         Control::OutputPathBox},
        {"/a", "/long.txt", "输出文件名太长，请换一个短一些的名字！", Control::OutputPathBox},
        // Windows names with another meaning: a stream, a device.
        {"C:\\data\\src.txt:x", "C:\\o.txt", kStreamNameNotice, Control::SourcePathBox},
        {"/a", "C:\\out:txt", kStreamNameNotice, Control::OutputPathBox},
        {"/a", "C:\\d\\nul.txt", kDeviceNameNotice, Control::OutputPathBox},
        {"/a", "C:\\d\\Com1 . .", kDeviceNameNotice, Control::OutputPathBox},
        {"/a", "C:\\d\\conin$", kDeviceNameNotice, Control::OutputPathBox},
        {"/a", "C:\\d\\lpt1x.txt", "", Control::SourcePathBox},
        {"/a", "C:\\d\\com0.txt", "", Control::SourcePathBox},
        {"/a", "/script-folder/1.bat", kScriptFolderNotice, Control::OutputPathBox},
        {"/script-folder/in.csv", "/o.txt", kScriptFolderNotice, Control::SourcePathBox},
    };
    runtime.existingFiles.insert({"/a", "C:\\data\\src.txt:x", "/script-folder/in.csv"});
    runtime.inScriptFolder = {"/script-folder/1.bat", "/script-folder/in.csv"};
    for (const auto& c : cases) {
        runtime.notices.clear();
        runtime.log.clear();
        Fill(c.source, c.output, ",", "2");
        EXPECT_EQ(OnlyNotice(c.focus), c.prompt) << c.source << " | " << c.output;
    }
    // On Linux ":" and "nul" are plain names.
    runtime.usesWindowsNames = false;
    runtime.notices.clear();
    Fill("/a", "/d/nul:x.txt", ",", "2");
    EXPECT_EQ(OnlyNotice(Control::SourcePathBox), "");
}

TEST_F(ValidationTest, AFieldNumberTheInterpreterCannotGiveIsRefusedAfterTheSevenChecks) {
    runtime.existingFiles = {"a.txt"};
    for (const char* field : {"0", "00", "32", "99"}) {
        runtime.notices.clear();
        runtime.log.clear();
        Fill("a.txt", "out.txt", ",", field);
        EXPECT_EQ(OnlyNotice(Control::FieldNumberBox), kFieldRangeNotice) << field;
    }
    Fill("a.txt", "a.txt", ",", "0");  // the seven come first
    runtime.notices.clear();
    EXPECT_EQ(ValidateRequest(runtime, runtime), false);
    EXPECT_EQ(runtime.notices.at(0).prompt, "源文件名和导出文件名不能相同！");
}

TEST_F(ValidationTest, PassesSilentlyAndChangesNoBox) {
    runtime.existingFiles = {"a.txt"};
    Fill("a.txt", "out.txt", ",", "07");
    EXPECT_EQ(OnlyNotice(Control::SourcePathBox), "");
    EXPECT_TRUE(runtime.LogStartingWith("text").empty());
    EXPECT_TRUE(runtime.LogStartingWith("focus").empty());
}

}  // namespace
}  // namespace morvane
