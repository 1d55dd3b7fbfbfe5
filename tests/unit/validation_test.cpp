#include <gtest/gtest.h>

#include "extraction/request_validation.h"
#include "tests/fake_runtime.h"

namespace morvane {
namespace {

using testing::FakeRuntime;

class ValidationTest : public ::testing::Test {
  protected:
    void Fill(const std::string& source, const std::string& output, const std::string& delimiter,
              const std::string& field) {
        runtime.texts[Control::Text1] = source;
        runtime.texts[Control::Text2] = output;
        runtime.texts[Control::Text3] = delimiter;
        runtime.texts[Control::Text4] = field;
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
    EXPECT_EQ(OnlyNotice(Control::Text1), "请输入源文件路径！");
}

TEST_F(ValidationTest, EmptyBoxesAreReportedInOrder) {
    Fill("a.txt", "", "", "");
    EXPECT_EQ(OnlyNotice(Control::Text2), "请输入输出路径！");
}

TEST_F(ValidationTest, DelimiterCheckComesBeforeTheSourceCheck) {
    Fill("missing.txt", "out.txt", "", "2");
    EXPECT_EQ(OnlyNotice(Control::Text3), "请输入分割符号！");
}

TEST_F(ValidationTest, MissingOrPastedFieldNumber) {
    runtime.existingFiles = {"a.txt"};
    for (const char* field : {"", "a", "1x"}) {
        runtime.notices.clear();
        runtime.log.clear();
        Fill("a.txt", "out.txt", ",", field);
        EXPECT_EQ(OnlyNotice(Control::Text4), "选择你需要提取的段落编号！") << field;
    }
}

TEST_F(ValidationTest, SpacesAreNotEmpty) {
    Fill(" ", " ", " ", "2");
    EXPECT_EQ(OnlyNotice(Control::Text1), "对不起，源文件路径不正确，请重新输入！");
}

TEST_F(ValidationTest, OutputEqualToAnExistingSourceIsCheckSix) {
    runtime.existingFiles = {"a.txt"};
    Fill("a.txt", "a.txt", ",", "2");
    EXPECT_EQ(OnlyNotice(Control::Text2), "源文件名和导出文件名不能相同！");
}

TEST_F(ValidationTest, AnotherSpellingOfTheSourceIsCheckSix) {
    runtime.existingFiles = {"a.txt"};
    runtime.somethingAt = {"./link-to-a"};
    runtime.sameFilePairs = {{"a.txt", "./link-to-a"}};
    Fill("a.txt", "./link-to-a", ",", "2");
    EXPECT_EQ(OnlyNotice(Control::Text2), "源文件名和导出文件名不能相同！");
}

TEST_F(ValidationTest, ExistingOutputIsRefused) {
    runtime.existingFiles = {"a.txt", "A.TXT"};
    Fill("a.txt", "A.TXT", ",", "2");
    EXPECT_EQ(OnlyNotice(Control::Text2), "导出文件名已存在，请重新输入！");
}

TEST_F(ValidationTest, AnythingAtTheOutputPathIsRefusedThoughTheQueryMissesIt) {
    runtime.existingFiles = {"a.txt"};
    runtime.regularFiles = {".hidden"};
    runtime.somethingAt = {"link", "fifo"};
    for (const char* output : {".hidden", "link", "fifo"}) {
        runtime.notices.clear();
        runtime.log.clear();
        Fill("a.txt", output, ",", "2");
        EXPECT_EQ(OnlyNotice(Control::Text2), "导出文件名已存在，请重新输入！") << output;
    }
}

TEST_F(ValidationTest, PassesSilentlyAndChangesNoBox) {
    runtime.existingFiles = {"a.txt"};
    Fill("a.txt", "out.txt", ",", "07");
    EXPECT_EQ(OnlyNotice(Control::Text1), "");
    EXPECT_TRUE(runtime.LogStartingWith("text").empty());
    EXPECT_TRUE(runtime.LogStartingWith("focus").empty());
}

}  // namespace
}  // namespace morvane
