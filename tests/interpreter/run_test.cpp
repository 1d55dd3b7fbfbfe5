// Scripts run end to end on real files: what lands in the output file, in
// which encoding, and what happens when something is wrong. Each case runs
// with several read-buffer sizes so lines longer than the buffer are covered.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/interpreter/test_support.h"

namespace morvane::interp::testing {
namespace {

class RunTest : public ::testing::Test {
  protected:
    // Runs the script with every buffer size; answers the output file's bytes
    // (the same every time) or nothing when no file was left.
    std::optional<std::string> RunEverySize(const std::string& script, const std::string& output,
                                            bool expectAllRan = true) {
        std::optional<std::string> first;
        for (std::size_t size : kBufferSizes) {
            ::unlink(output.c_str());
            const ScriptRun run = RunScript(script, size);
            EXPECT_EQ(run.allRan, expectAllRan) << "buffer " << size;
            const auto written = ReadFile(output);
            if (size == kBufferSizes[0]) {
                first = written;
            } else {
                EXPECT_EQ(written, first) << "buffer " << size;
            }
        }
        return first;
    }

    TempDir folder_;
    const std::string source_ = folder_ / "123.txt";
    const std::string output_ = folder_ / "321.txt提取.txt";
};

TEST_F(RunTest, MorvanesScriptOnACsvFile) {
    WriteFile(source_,
              "00001234,张三,男,42,city1,note 1\r\n,,lead,x\r\n;comment,y\r\n\r\nonly\r\nlast,值");
    // The end-of-line character is the delimiter: the ";" line is data.
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, ",", 2), output_),
              "张三\r\nx\r\ny\r\n值\r\n");
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, ",", 5), output_), "city1\r\n");
}

TEST_F(RunTest, NoValueLeavesTheBlocksOutputEmptyAndTheOldLineNoFile) {
    WriteFile(source_, "a\r\nb\r\n\xEF\xBB\xBF\r\n");
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, ",", 2), output_), "");
    WriteFile(source_, "");
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, ",", 1), output_), "");
    const std::string old =
        "for /f \"tokens=1 delims=,\" %%a in (" + source_ + ") do @echo %%a>>" + output_;
    EXPECT_EQ(RunEverySize(old, output_), std::nullopt);
}

TEST_F(RunTest, SwitchLikeValuesAreWrittenVerbatim) {
    WriteFile(source_, "1,on\r\n2,OFF\r\n3,/?\r\n4, off \r\n5,.\r\n6, \r\n");
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, ",", 2), output_),
              "on\r\nOFF\r\n/?\r\n off \r\n.\r\n \r\n");
}

TEST_F(RunTest, PathsWithSpacesAmpersandsAndParentheses) {
    const std::string source = folder_ / "my data & more (1).csv";
    const std::string output = folder_ / "out (2) & x.txt";
    WriteFile(source, "a b,c\r\n");
    EXPECT_EQ(RunEverySize(MorvaneLine(source, output, " ", 2), output), "b,c\r\n");
    // The old unquoted line takes the same paths whole.
    const std::string unquoted =
        "for /f \"tokens=2 delims=,\" %%a in (" + source + ") do @echo %%a>>" + output;
    EXPECT_EQ(RunEverySize(unquoted, output), "c\r\n");
}

TEST_F(RunTest, MissingSourceFails) {
    const ScriptRun run = RunScript(MorvaneLine(folder_ / "missing.txt", output_, ",", 2));
    EXPECT_FALSE(run.allRan);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].find("missing.txt"), std::string::npos);
    EXPECT_EQ(ReadFile(output_), "") << "the block's output is made first, as on Windows";
    EXPECT_FALSE(RunScript(MorvaneLine(folder_.Path(), output_, ",", 2)).allRan);  // a folder
    // A pipe without a writer is an empty source, not a wait.
    const std::string pipe = folder_ / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ::unlink(output_.c_str());
    EXPECT_TRUE(RunScript(MorvaneLine(pipe, output_, ",", 2)).allRan);
    EXPECT_EQ(ReadFile(output_), "");
}

TEST_F(RunTest, UnwritableOutputFailsAndLeavesNothing) {
    WriteFile(source_, "a,b\r\n");
    const std::string inMissingFolder = folder_ / "no such folder/out.txt";
    const ScriptRun run = RunScript(MorvaneLine(source_, inMissingFolder, ",", 2));
    EXPECT_FALSE(run.allRan);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].find("no such folder"), std::string::npos);
    EXPECT_FALSE(RunScript(MorvaneLine(source_, folder_.Path(), ",", 2)).allRan);
    // A pipe nobody reads fails at once instead of blocking.
    const std::string pipe = folder_ / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(RunScript(MorvaneLine(source_, pipe, ",", 2)).allRan);
}

TEST_F(RunTest, WritesOnlyAFileOfItsOwnAndReplaceKeepsOnlyTheLast) {
    WriteFile(source_, "a,1\r\nb,2\r\n");
    // What is at the path already (a file that appeared, a link someone put
    // there, a device) is neither followed nor appended to.
    const std::string victim = folder_ / "victim";
    WriteFile(victim, "before\r\n");
    ASSERT_EQ(::symlink(victim.c_str(), output_.c_str()), 0);
    for (const std::string& taken : {output_, victim, std::string("/dev/full")}) {
        const ScriptRun run = RunScript(MorvaneLine(source_, taken, ",", 2));
        EXPECT_FALSE(run.allRan) << taken;
        ASSERT_EQ(run.messages.size(), 1u);
        EXPECT_NE(run.messages[0].find("not created by this run"), std::string::npos);
    }
    EXPECT_EQ(ReadFile(victim), "before\r\n");
    const std::string replace =
        "for /f \"tokens=2 delims=,\" %%a in (" + source_ + ") do @echo %%a>" + output_;
    EXPECT_EQ(RunEverySize(replace, output_), "2\r\n");
}

TEST_F(RunTest, SkipAndSeveralVariables) {
    WriteFile(source_, "h1,h2\r\n\r\na,b,c,d\r\ne,f\r\n");
    const std::string script = "for /f \"skip=2 tokens=1,3* delims=,\" %%x in (" + source_ +
                               ") do @echo [%%x][%%y][%%z][%%w]>>" + output_;
    EXPECT_EQ(RunEverySize(script, output_), "[a][c][d][%w]\r\n[e][][][%w]\r\n");
}

TEST_F(RunTest, Utf8WithAndWithoutByteOrderMark) {
    WriteFile(source_, "\xEF\xBB\xBF甲，乙\r\n丙，丁\r\n");
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, "，", 2), output_),
              "\xEF\xBB\xBF乙\r\n丁\r\n");
    WriteFile(source_, "甲，乙\r\n丙，丁\r\n");
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, "，", 2), output_), "乙\r\n丁\r\n");
}

TEST_F(RunTest, ByteOrderMarkOnlyWhenTheFileIsCreated) {
    WriteFile(source_,
              "\xEF\xBB\xBF"
              "a,1\r\nb,2\r\n");
    const std::string script = MorvaneLine(source_, output_, ",", 2);
    EXPECT_TRUE(RunScript(script + script).allRan);
    EXPECT_EQ(ReadFile(output_),
              "\xEF\xBB\xBF"
              "1\r\n2\r\n1\r\n2\r\n");
}

TEST_F(RunTest, Utf16LittleAndBigEndian) {
    const std::string le =
        std::string("\xFF\xFE", 2) + std::string("a\0,\0\x59\x4E\r\0\n\0b\0,\0c\0", 16);
    WriteFile(source_, le);
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, ",", 2), output_),
              std::string("\xFF\xFE\x59\x4E\r\0\n\0c\0\r\0\n\0", 14));
    const std::string be = std::string("\xFE\xFF", 2) + std::string("\0a\xFF\x0C\0b\0\n", 8);
    WriteFile(source_, be);  // FF0C is the full-width comma
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, "，", 2), output_),
              std::string("\xFE\xFF\0b\0\r\0\n", 8));
    // A character beyond the Basic Multilingual Plane as the delimiter is a
    // surrogate pair; a file of odd length ends in half a unit, left out.
    WriteFile(source_, std::string("\xFE\xFF\0a\xD8\x3D\xDE\x00\0b\0", 11));
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, "😀", 2), output_),
              std::string("\xFE\xFF\0b\0\r\0\n", 8));
}

TEST_F(RunTest, GbkBytesStayUnchanged) {
    WriteFile(source_, Cp936("亅|乗\\昞\r\n甲|乙|丙\r\n"));
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, "|", 2), output_),
              Cp936("乗\\昞\r\n乙\r\n"));
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, "\\", 1), output_),
              Cp936("亅|乗\r\n甲|乙|丙\r\n"));
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, "，", 1), output_),
              Cp936("亅|乗\\昞\r\n甲|乙|丙\r\n"));
    WriteFile(source_, Cp936("甲，乙\r\n"));
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, "，", 2), output_), Cp936("乙\r\n"));
}

TEST_F(RunTest, EncodingIsJudgedFromTheWholeFile) {
    // ASCII far beyond the first read, then GBK whose second byte is "|".
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "row|" + std::to_string(i) + "\r\n";
    WriteFile(source_, text + Cp936("x|亅|y\r\n"));
    const auto written = RunEverySize(MorvaneLine(source_, output_, "|", 2), output_);
    ASSERT_TRUE(written);
    EXPECT_TRUE(written->ends_with("1999\r\n" + Cp936("亅\r\n")));
}

TEST_F(RunTest, LinesLongerThanTheBuffer) {
    const std::string first(5000, 'x');
    const std::string second(3000, 'y');
    WriteFile(source_, first + "," + second + ",z\r\n" + std::string(100, ',') + "w\r\n");
    EXPECT_EQ(RunEverySize(MorvaneLine(source_, output_, ",", 2), output_), second + "\r\n");
    const std::string rest =
        "for /f \"tokens=1* delims=,\" %%a in (" + source_ + ") do @echo %%b>>" + output_;
    EXPECT_EQ(RunEverySize(rest, output_), second + ",z\r\n\r\n");
}

TEST_F(RunTest, ALoopThatAppendsToItsOwnSourceEnds) {
    WriteFile(source_, "a,1\r\nb,2\r\n");
    // The second line appends to the file the first created, and reads it.
    const std::string copy = "for /f \"delims=\" %%a in (" + source_ + ") do @echo %%a>>" + output_;
    EXPECT_TRUE(RunScript(copy + "\r\n" + MorvaneLine(output_, output_, ",", 2)).allRan);
    EXPECT_EQ(ReadFile(output_), "a,1\r\nb,2\r\n1\r\n2\r\n");
}

TEST_F(RunTest, EchoAloneAndLinesThatCannotRun) {
    const std::string script = "@echo 你好>>" + output_ + "\r\n\r\ndir /s\r\necho on>>" + output_;
    const ScriptRun run = RunScript(script);
    EXPECT_FALSE(run.allRan);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].find("line 3"), std::string::npos);
    EXPECT_EQ(ReadFile(output_), Gb18030("你好\r\non\r\n"));
}

}  // namespace
}  // namespace morvane::interp::testing
