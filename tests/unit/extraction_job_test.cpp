#include <gtest/gtest.h>

#include <algorithm>

#include "extraction/extraction_job.h"
#include "tests/support/fake_runtime.h"

namespace morvane {
namespace {

using testing::FakeRuntime;

const char* const kScript = "C:\\Users\\zhang\\AppData\\Local\\Morvane\\1.bat";
const std::string kFailurePrompt =
    "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！";

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

class ExtractionJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime.existingFiles = {"C:\\123.txt"};
        runtime.texts[Control::SourcePathBox] = "C:\\123.txt";
        runtime.texts[Control::OutputPathBox] = "C:\\out.txt";
        runtime.texts[Control::DelimiterBox] = ",";
        runtime.texts[Control::FieldNumberBox] = "2";
    }

    void Start() {
        job.StartAction();
        ASSERT_TRUE(runtime.timer) << "the run did not start";
        runtime.log.clear();
    }

    // What must hold in Idle whatever way it was reached.
    void ExpectIdleWithTexts(bool emptied) {
        EXPECT_FALSE(runtime.timer);
        EXPECT_EQ(runtime.pointer, MousePointer::Default);
        testing::ExpectIdleWindow(
            testing::FakeWindowView(runtime),
            emptied ? testing::InputBoxes::Emptied : testing::InputBoxes::Kept);
    }

    FakeRuntime runtime;
    ExtractionJob job{runtime, runtime};
};

TEST_F(ExtractionJobTest, StartLaunchesTheWrittenScriptAndTurnsBusy) {
    job.StartAction();
    EXPECT_EQ(runtime.writtenFiles.at(kScript),
              ">>\"C:\\out.txt\" (for /f \"usebackq tokens=2 eol=, delims=,\" %%a in "
              "(\"C:\\123.txt\") do @echo(%%a)\r\n");
    // The interpreter is started on the script once it is written.
    const auto write =
        std::find(runtime.log.begin(), runtime.log.end(), std::string("write ") + kScript);
    const auto launch =
        std::find(runtime.log.begin(), runtime.log.end(), std::string("launch ") + kScript);
    ASSERT_NE(launch, runtime.log.end()) << "not launched";
    EXPECT_LT(write, launch) << "launched before the script was written";
    // Busy: only the example button takes a click, the progress caption shows.
    EXPECT_TRUE(runtime.timer);
    EXPECT_EQ(runtime.pointer, MousePointer::Hourglass);
    for (Control control : {Control::SourcePathBox, Control::OutputPathBox, Control::DelimiterBox,
                            Control::FieldNumberBox, Control::ChooseSourceButton,
                            Control::ChooseOutputButton, Control::StartButton, Control::ExitButton})
        EXPECT_FALSE(runtime.enabled[control]) << testing::ControlName(control);
    EXPECT_TRUE(runtime.enabled[Control::ExampleButton]);
    EXPECT_TRUE(runtime.visible[Control::ProgressLabel]);
    EXPECT_EQ(runtime.texts[Control::ProgressLabel], "正在提取数据...");
    EXPECT_TRUE(runtime.notices.empty());
    EXPECT_EQ(job.Request().fieldNumber, 2);
}

TEST_F(ExtractionJobTest, TheLoopOfCmdExeRunsInUtf8ForAUtf8SourceAndAUtf16OneIsRefused) {
    const std::string chcp = "\"%SystemRoot%\\System32\\chcp.com\" 65001>nul&>>\"C:\\out.txt\" (";
    const std::string asEver = ">>\"C:\\out.txt\" (";
    const struct {
        const char* what;
        bool standIn;  // our stand-in reads every encoding by itself
        std::string source;
        std::string lineStart;  // "" when refused
    } cases[] = {
        {"UTF-8", false, "张三,男\r\n", chcp},
        {"UTF-8 with a mark", false,
         "\xEF\xBB\xBF"
         "a,b\r\n",
         chcp},
        {"GBK", false, "\xD5\xC5\xC8\xFD,\xC4\xD0\r\n", asEver},
        {"ASCII", false, "a,b\r\n", asEver},
        {"UTF-8 then a byte that is none", false, "张三,男\r\n\xD5,x", asEver},
        {"UTF-16", false,
         std::string("\xFF\xFE"
                     "a\0,\0b\0",
                     8),
         ""},
        {"UTF-16 to the stand-in", true, std::string("\xFE\xFF\0a\0,\0b", 8), asEver},
        {"UTF-8 to the stand-in", true, "张三,男\r\n", asEver},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRuntime fresh;
        fresh.texts = runtime.texts;
        fresh.existingFiles = runtime.existingFiles;
        fresh.fileContents["C:\\123.txt"] = c.source;
        if (!c.standIn) fresh.sourceReading = {};
        ExtractionJob(fresh, fresh).StartAction();
        if (c.lineStart.empty()) {
            ASSERT_EQ(fresh.notices.size(), 1u);
            EXPECT_EQ(fresh.notices[0].prompt, kUtf16SourceNotice);
            EXPECT_EQ(fresh.notices[0].title, "提示！");
            EXPECT_EQ(fresh.focus, Control::SourcePathBox);
            EXPECT_TRUE(fresh.writtenFiles.empty());
            EXPECT_FALSE(fresh.timer);
        } else {
            EXPECT_TRUE(fresh.writtenFiles.at(kScript).starts_with(c.lineStart));
        }
        EXPECT_EQ(fresh.pointer,
                  c.lineStart.empty() ? MousePointer::Default : MousePointer::Hourglass);
    }
}

TEST_F(ExtractionJobTest, ValidationFailureStaysIdle) {
    runtime.texts[Control::DelimiterBox] = "";
    job.StartAction();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt, "请输入分割符号！");
    EXPECT_TRUE(runtime.LogStartingWith("write").empty());
    ExpectIdleWithTexts(false);
}

TEST_F(ExtractionJobTest, GateBlocksWithoutFocusChange) {
    runtime.processes = {"explorer.exe", "cmd.exe"};
    job.StartAction();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt,
              "请先打开任务管理器，结束Cmd.exe进程，否则本程序会出现运行错误");
    EXPECT_EQ(runtime.notices[0].title, "提示");
    EXPECT_TRUE(runtime.LogStartingWith("focus").empty());
    EXPECT_TRUE(runtime.LogStartingWith("write").empty());
    ExpectIdleWithTexts(false);
}

TEST_F(ExtractionJobTest, TicksWhileAnInterpreterRunsDoNothing) {
    Start();
    runtime.processes = {"CMD.EXE"};
    job.CompletionTick();
    job.CompletionTick();
    EXPECT_TRUE(runtime.timer);
    EXPECT_EQ(runtime.log, (std::vector<std::string>{"processes", "processes"}));
}

TEST_F(ExtractionJobTest, SuccessShowsTheDoneCaptionOnlyWhileTheNoticeIsOpen) {
    Start();
    runtime.InterpreterWrites("C:\\out.txt");
    std::string captionDuringNotice;
    bool visibleDuringNotice = false;
    runtime.whileNoticeOpen = [&](const std::string&) {
        captionDuringNotice = runtime.texts[Control::ProgressLabel];
        visibleDuringNotice = runtime.visible[Control::ProgressLabel];
    };
    job.CompletionTick();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt, "提取完成");
    EXPECT_EQ(runtime.notices[0].title, "成功");
    EXPECT_EQ(captionDuringNotice, "提取已完成！");
    EXPECT_TRUE(visibleDuringNotice);
    EXPECT_EQ(runtime.writtenFiles.count(kScript), 0u) << "script not deleted";
    ExpectIdleWithTexts(true);
    EXPECT_EQ(runtime.focus, Control::SourcePathBox);
}

// The verdict's notice comes with the normal pointer and the script already
// gone; the window is set back to rest only once the notice is closed.
TEST_F(ExtractionJobTest, TheVerdictComesAfterTheCleanUpAndBeforeTheWindowIsReset) {
    Start();
    runtime.InterpreterWrites("C:\\out.txt");
    MousePointer pointerDuringNotice = MousePointer::Hourglass;
    bool scriptDuringNotice = true;
    bool exitEnabledDuringNotice = true;
    std::string sourceDuringNotice;
    runtime.whileNoticeOpen = [&](const std::string&) {
        pointerDuringNotice = runtime.pointer;
        scriptDuringNotice = runtime.writtenFiles.count(kScript) != 0;
        exitEnabledDuringNotice = runtime.enabled[Control::ExitButton];
        sourceDuringNotice = runtime.texts[Control::SourcePathBox];
    };
    job.CompletionTick();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(pointerDuringNotice, MousePointer::Default);
    EXPECT_FALSE(scriptDuringNotice) << "the script was deleted only after the notice";
    EXPECT_FALSE(exitEnabledDuringNotice) << "the run ended before its verdict was shown";
    EXPECT_EQ(sourceDuringNotice, "C:\\123.txt");
    ExpectIdleWithTexts(true);
    EXPECT_EQ(runtime.focus, Control::SourcePathBox);
}

TEST_F(ExtractionJobTest, TheSuccessNoticeCountsTheLinesThatGaveNoValueOrALaterFieldsValue) {
    std::string source = "\r\n,,\r\n";  // blank lines count for nothing
    for (int line = 0; line < 1000; ++line)
        source += line < 13 ? "1\r\n" : line < 38 ? "1,,a\r\n" : "1,a\r\n";
    runtime.fileContents["C:\\123.txt"] = source;
    Start();
    std::string values;
    for (int value = 0; value < 987; ++value) values += "a\r\n";
    runtime.InterpreterWrites("C:\\out.txt", values);
    job.CompletionTick();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].title, "成功");
    EXPECT_EQ(
        runtime.notices[0].prompt,
        "提取完成\n源文件共 1,000 行数据，写出了 987 个值：13 行没有第 2 段。\n"
        "另有 25 行在第 2 段之前有空字段（分割符号相连或在行首），这些行写出的是后面一段的值。");
}

// UTF-16 values are counted by whole code units: 上 (U+4E0A) holds a 0A byte.
TEST_F(ExtractionJobTest, AUtf16OutputIsCountedInWholeUnits) {
    runtime.fileContents["C:\\123.txt"] = std::string(
        "\xFF\xFE"
        "1\0,\0a\0\n\0"
        "2\0,\0b\0",
        16);
    Start();
    runtime.InterpreterWrites("C:\\out.txt", std::string("\xFF\xFE\x0AN\r\0\n\0", 8));
    job.CompletionTick();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt,
              kFailurePrompt +
                  "\n原因：输出文件只有 1 个值，而源文件有 2 个；命令解释器没有读完源文件。");
}

TEST_F(ExtractionJobTest, FailureKeepsTheProgressCaptionWhileTheNoticeIsOpen) {
    Start();
    std::string captionDuringNotice;
    runtime.whileNoticeOpen = [&](const std::string&) {
        captionDuringNotice = runtime.texts[Control::ProgressLabel];
    };
    job.CompletionTick();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(FirstLine(runtime.notices[0].prompt), kFailurePrompt);
    EXPECT_EQ(runtime.notices[0].title, "失败");
    EXPECT_EQ(captionDuringNotice, "正在提取数据...");
    EXPECT_EQ(runtime.writtenFiles.count(kScript), 0u);
    ExpectIdleWithTexts(true);
}

TEST_F(ExtractionJobTest, ATickDuringAnOpenNoticeDoesNothing) {
    Start();
    runtime.InterpreterWrites("C:\\out.txt");
    std::size_t logSizeAtSecondTick = 0, logSizeAfterSecondTick = 0;
    runtime.whileNoticeOpen = [&](const std::string&) {
        logSizeAtSecondTick = runtime.log.size();
        job.CompletionTick();
        logSizeAfterSecondTick = runtime.log.size();
    };
    job.CompletionTick();
    EXPECT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(logSizeAtSecondTick, logSizeAfterSecondTick);
    EXPECT_EQ(runtime.LogStartingWith("delete").size(), 1u);
    // A later tick of a finished run does nothing either.
    runtime.log.clear();
    job.CompletionTick();
    EXPECT_TRUE(runtime.log.empty());
}

TEST_F(ExtractionJobTest, AFailingProcessListFallsBackToTheStartedInterpretersState) {
    runtime.stateAfterStart = InterpreterState::Running;
    Start();
    runtime.processListFails = true;
    job.CompletionTick();
    job.CompletionTick();
    EXPECT_TRUE(runtime.timer);
    EXPECT_TRUE(runtime.notices.empty());
    runtime.interpreterState = InterpreterState::EndedNormally;
    runtime.InterpreterWrites("C:\\out.txt");
    job.CompletionTick();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt, "提取完成");
    ExpectIdleWithTexts(true);
}

TEST_F(ExtractionJobTest, AnotherCmdExeHoldsTheRunOpenAfterOursHasEnded) {
    Start();
    runtime.processes = {"Cmd.exe"};
    runtime.InterpreterWrites("C:\\out.txt");
    job.CompletionTick();
    EXPECT_TRUE(runtime.timer);
    runtime.processes = {"exe", "md.exe", ""};
    job.CompletionTick();
    EXPECT_FALSE(runtime.timer);
}

TEST_F(ExtractionJobTest, TheVerdictHoldsTheOutputAgainstTheSourceAndSaysWhyOnlyWhenCertain) {
    const std::string fewer =
        "原因：输出文件只有 1 个值，而源文件有 2 个；命令解释器没有读完源文件。";
    const std::string moved = "原因：输出文件在提取过程中被移走或替换了。";
    const struct {
        InterpreterState state;
        const char* output;  // "empty", "partial" (one value), "gone" or "replaced"
        const char* source;  // nullptr: it cannot be read after the run
        bool sourceReplaced;
        std::string reason;  // after the failure prompt; "成功: …" for a success
        bool outputRemoved;
    } cases[] = {
        {InterpreterState::EndedNormally, "empty", "1\r\n2\r\n", false,
         "原因：源文件中没有一行含有第 2 段。", true},
        {InterpreterState::EndedNormally, "empty", nullptr, false, "", true},
        {InterpreterState::EndedNormally, "empty", "a,b\r\n", false,
         "原因：输出文件只有 0 个值，而源文件有 1 个；命令解释器没有读完源文件。", true},
        // Ended from outside with exit code 0, or a line it could not read.
        {InterpreterState::EndedNormally, "partial", "a,b\r\nc,d\r\n", false, fewer, true},
        {InterpreterState::EndedNormally, "partial", "a,b\r\nc,d\r\n", true,
         "成功: 提取完成\n源文件在提取过程中被改动了，无法核对写出的值的个数。", false},
        {InterpreterState::EndedNormally, "gone", "a,b\r\n", false, moved, false},
        // Someone else's file in its place is never removed.
        {InterpreterState::EndedNormally, "replaced", "a,b\r\n", false, moved, false},
        {InterpreterState::Stopped, "partial", "a,b\r\n", false,
         "原因：命令解释器在提取完成之前被终止了。", true},
        {InterpreterState::EndedAbnormally, "empty", "a,b\r\n", false,
         "原因：命令解释器报告了错误，没有写出任何值。", true},
        // A source it could not read, or a kill from outside: not told apart.
        {InterpreterState::EndedAbnormally, "partial", "a,b\r\n", false, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.output) + " " + c.reason);
        FakeRuntime fresh;
        fresh.texts = runtime.texts;
        fresh.existingFiles = runtime.existingFiles;
        if (c.source) fresh.fileContents["C:\\123.txt"] = c.source;
        ExtractionJob run(fresh, fresh);
        run.StartAction();
        fresh.interpreterState = c.state;
        const std::string output = c.output;
        if (output == "partial") fresh.InterpreterWrites("C:\\out.txt");
        if (output == "gone") fresh.regularFiles.erase("C:\\out.txt");
        if (output == "replaced") fresh.identities["C:\\out.txt"].index = 1;
        if (c.sourceReplaced) fresh.identities["C:\\123.txt"] = {1, 2};
        run.CompletionTick();
        ASSERT_EQ(fresh.notices.size(), 1u);
        if (c.reason.starts_with("成功: ")) {
            EXPECT_EQ(fresh.notices[0].title, "成功");
            EXPECT_EQ(fresh.notices[0].prompt, c.reason.substr(std::string("成功: ").size()));
        } else {
            EXPECT_EQ(fresh.notices[0].title, "失败");
            EXPECT_EQ(fresh.notices[0].prompt,
                      c.reason.empty() ? kFailurePrompt : kFailurePrompt + ("\n" + c.reason));
        }
        EXPECT_EQ(fresh.LogStartingWith("delete C:\\out.txt").size(), c.outputRemoved);
        EXPECT_EQ(fresh.writtenFiles.count(kScript), 0u);
    }
}

TEST_F(ExtractionJobTest, ASessionEndingDuringARunUndoesIt) {
    runtime.stateAfterStart = InterpreterState::Running;
    Start();
    runtime.InterpreterWrites("C:\\out.txt");
    job.AbandonRun();
    EXPECT_EQ(runtime.log,
              (std::vector<std::string>{"stop-interpreter", "running-output ", "delete C:\\out.txt",
                                        "delete " + std::string(kScript), "timer off"}));
    EXPECT_TRUE(runtime.notices.empty());
    runtime.log.clear();
    job.AbandonRun();  // no run: nothing to undo
    EXPECT_TRUE(runtime.log.empty());
}

TEST_F(ExtractionJobTest, TheVerdictTakesARegularFileAtTheLiteralPathWhateverItsAttributes) {
    runtime.texts[Control::OutputPathBox] = "/home/u/.out";
    Start();
    // Hidden from the file query (a dot name, a hidden attribute), still the
    // output asked for.
    runtime.InterpreterWrites("/home/u/.out");
    job.CompletionTick();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt, "提取完成");
}

TEST_F(ExtractionJobTest, AScriptAlreadyGoneDoesNotChangeTheVerdict) {
    Start();
    runtime.writtenFiles.clear();
    runtime.InterpreterWrites("C:\\out.txt");
    job.CompletionTick();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt, "提取完成");
}

TEST_F(ExtractionJobTest, UnencodableCharactersAreRefusedBeforeWriting) {
    runtime.unencodable = {"☃"};
    runtime.texts[Control::OutputPathBox] = "C:\\☃.txt";
    runtime.texts[Control::DelimiterBox] = "☃";
    job.StartAction();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt,
              "路径或分割符号中含有无法写入脚本文件的字符，请修改后再试！");
    EXPECT_EQ(runtime.notices[0].title, "提示！");
    EXPECT_EQ(runtime.focus, Control::OutputPathBox);
    EXPECT_TRUE(runtime.LogStartingWith("write").empty());
    ExpectIdleWithTexts(false);
}

TEST_F(ExtractionJobTest, AScriptThatCannotBeWrittenLeavesACleanIdle) {
    runtime.writeFailure = "Access is denied.";
    job.StartAction();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt,
              std::string("无法写入脚本文件") + kScript + "：Access is denied.");
    EXPECT_EQ(runtime.notices[0].title, "失败");
    EXPECT_TRUE(runtime.launches.empty());
    ExpectIdleWithTexts(false);
}

TEST_F(ExtractionJobTest, ALaunchThatFailsDeletesTheScriptAndStaysIdle) {
    runtime.launchFailure = "No such file";
    job.StartAction();
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt, "无法启动命令解释器：No such file");
    EXPECT_EQ(runtime.notices[0].title, "失败");
    EXPECT_EQ(runtime.writtenFiles.count(kScript), 0u);
    ExpectIdleWithTexts(false);
}

TEST_F(ExtractionJobTest, ChangedTemplateBoxesAreReadAtEveryStart) {
    runtime.texts[Control::EchoClauseBox] = ") do @echo %%a)";
    job.StartAction();
    EXPECT_EQ(runtime.writtenFiles.at(kScript),
              ">>\"C:\\out.txt\" (for /f \"usebackq tokens=2 eol=, delims=,\" %%a in "
              "(\"C:\\123.txt\") do @echo %%a)\r\n");
}

}  // namespace
}  // namespace morvane
