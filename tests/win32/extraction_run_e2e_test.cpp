// Whole extractions by Pellorin.exe under Wine, with Wine's cmd.exe: the
// verdicts (success with what the source survey found, no line with the
// field, an interpreter ended from outside) and the script written, run
// without a window and deleted in the user's own folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/windows_inc.h"

#include "extraction/extraction_job.h"
#include "extraction/extraction_request.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_system.h"
#include "tests/win32/pellorin_fixture.h"

namespace morvane::wintest {
namespace {

using enum Control;

TEST_F(PellorinTest, AWholeExtractionSucceedsAndResetsTheWindow) {
    WriteFile(folder / "源.csv", "01,zhang,m\r\n02,li,f\r\n03,zhao,m\r\n");
    const std::string output = folder / "结果.txt";
    Fill(folder / "源.csv", output, ",", "2");
    SaveScreenshot(app.MainWindow(), "windows-main-window.png");

    const Notice notice = StartAndGetNotice(15000);
    EXPECT_EQ(notice.title, "成功");
    EXPECT_EQ(notice.prompt, "提取完成");
    // While the success notice is open the label reads the done caption.
    EXPECT_EQ(app.Text(ProgressLabel), "提取已完成！");
    EXPECT_TRUE(app.Visible(ProgressLabel));
    App::CloseNotice(notice);

    ExpectIdleAndEmpty();
    EXPECT_EQ(ReadInterpreterOutput(output), "zhang\r\nli\r\nzhao\r\n");
    EXPECT_FALSE(Exists(script));
}

TEST_F(PellorinTest, TheSuccessNoticeSaysWhichLinesGaveNoValueOrALaterFieldsValue) {
    // ASCII data: Wine 8's for /f garbles double-byte text.
    WriteFile(folder / "gaps.csv", "zhang,,m\r\nli,f\r\nwang\r\n\r\n");
    Fill(folder / "gaps.csv", folder / "out.txt", ",", "2");
    const Notice notice = StartAndGetNotice(15000);
    EXPECT_EQ(notice.title, "成功");
    EXPECT_EQ(
        notice.prompt,
        "提取完成\n源文件共 3 行数据，写出了 2 个值：1 行没有第 2 段。\n"
        "另有 1 行在第 2 段之前有空字段（分割符号相连或在行首），这些行写出的是后面一段的值。");
    App::CloseNotice(notice);
    ExpectIdleAndEmpty();
}

TEST_F(PellorinTest, AUtf8SourceComesOutByteForByte) {
    // Hangul, Greek, an emoji and an ideograph beyond the basic plane, none
    // of them in code page 936. With a byte-order mark: Wine's cmd.exe reads
    // a source without one byte by byte, whatever the code page.
    WriteFile(folder / "utf8.csv",
              "\xEF\xBB\xBF"
              "1,한국어,x\r\n2,Ελληνικά,x\r\n3,😀,x\r\n4,𠀀,x\r\n");
    const std::string output = folder / "out.txt";
    Fill(folder / "utf8.csv", output, ",", "2");
    const Notice notice = StartAndGetNotice(15000);
    EXPECT_EQ(notice.title, "成功");
    App::CloseNotice(notice);
    ExpectIdleAndEmpty();
    EXPECT_EQ(ReadInterpreterOutput(output), "한국어\r\nΕλληνικά\r\n😀\r\n𠀀\r\n");
}

TEST_F(PellorinTest, NoLineWithTheFieldIsAFailure) {
    // An empty source: Windows passes over a line without the field, but
    // Wine runs `echo(` for it all the same and writes "(": only a file
    // with no line at all gives no value on both.
    WriteFile(folder / "short.csv", "");
    const std::string output = folder / "out.txt";
    Fill(folder / "short.csv", output, ",", "5");
    const Notice notice = StartAndGetNotice(15000);
    EXPECT_EQ(notice.title, "失败");
    EXPECT_EQ(notice.prompt,
              "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！\n"
              "原因：源文件中没有一行含有第 5 段。");
    EXPECT_EQ(app.Text(ProgressLabel), "正在提取数据...");
    App::CloseNotice(notice);
    ExpectIdleAndEmpty();
    EXPECT_FALSE(Exists(output));
    EXPECT_FALSE(Exists(script));
}

// The user's local application-data folder moved, as folder redirection
// would, to a path with a space, "&", parentheses, Chinese and a letter
// outside the ANSI code page ("ë" is not in code page 936).
class WithUnusualUserFolder {
  protected:
    WithUnusualUserFolder()
        : localAppData(profile.Path() + "\\Zoë 的 & (数据)\\Local"),
          redirected(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                     L"Local AppData", REG_EXPAND_SZ, win32::Utf8ToWide(localAppData)) {}

    TempDir profile;
    const std::string localAppData;
    RegistryValueOverride redirected;
};

class PellorinInUnusualUserFolderTest : protected WithUnusualUserFolder, public PellorinTest {};

TEST_F(PellorinInUnusualUserFolderTest, TheScriptIsWrittenRunAndDeletedInTheUsersOwnFolder) {
    // The program-files folder takes no file here, as for any user who is
    // not an administrator.
    const std::wstring probe = L"c:\\progra~1\\morvane-probe.txt";
    HANDLE created = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (created != INVALID_HANDLE_VALUE) {
        CloseHandle(created);
        DeleteFileW(probe.c_str());
    }
    ASSERT_EQ(created, INVALID_HANDLE_VALUE) << "the test prefix lets anyone write in c:\\progra~1";
    ASSERT_EQ(script, localAppData + "\\Morvane\\1.bat");
    EXPECT_FALSE(Exists(localAppData + "\\Morvane"));

    const std::string source = folder / "源.csv";
    const std::string output = folder / "结果.txt";
    const std::string column = WriteSlowSource(source);
    Fill(source, output, ",", "2");
    StartRun();

    // While the interpreter runs: the script is the program's one line in
    // code page 936 and CR LF, in the user's folder.
    ExtractionRequest request{source,
                              output,
                              ",",
                              2,
                              app.Text(TokensClauseBox),
                              app.Text(DelimsClauseBox),
                              app.Text(InClauseBox),
                              app.Text(EchoClauseBox)};
    EXPECT_EQ(ReadFile(script),
              *win32::EncodeForCodePage(ComposeScriptLine(request), 936) + "\r\n");
    // No window of the interpreter, nor of a console host made for it, shows.
    const std::optional<ProcessEntry> interpreter = StartedInterpreter(app);
    ASSERT_TRUE(interpreter.has_value()) << "no cmd.exe below the program";
    for (int look = 0; look < 10; ++look) {
        const std::vector<ProcessEntry> tree = DescendantProcesses(app.ProcessId());
        EXPECT_TRUE(VisibleWindowsOf(tree).empty()) << "a window showed at look " << look;
        Sleep(100);
    }

    std::optional<Notice> notice = app.WaitForNotice(kSlowRunTimeoutMs);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->title, "成功");
    App::CloseNotice(*notice);
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_EQ(ReadInterpreterOutput(output), column);
    EXPECT_FALSE(Exists(script));
    EXPECT_TRUE(Exists(localAppData + "\\Morvane"));
}

TEST_F(PellorinTest, AnInterpreterEndedFromOutsideWithCodeZeroMidRunIsAFailure) {
    const std::string source = folder / "slow.csv";
    const std::string output = folder / "out.txt";
    const std::string column = WriteSlowSource(source);
    const auto lines = std::count(column.begin(), column.end(), '\n');
    Fill(source, output, ",", "2");
    StartRun();
    const std::optional<ProcessEntry> interpreter = StartedInterpreter(app);
    ASSERT_TRUE(interpreter.has_value());
    ASSERT_TRUE(WaitFor([&] { return !ReadFile(output).value_or("").empty(); }, 60000));
    // The session may not end while the run goes on.
    EXPECT_EQ(SendMessageW(app.MainWindow(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);

    // As WMI's Win32_Process.Terminate() ends a process: with exit code 0.
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, interpreter->id);
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(TerminateProcess(process, 0));
    WaitForSingleObject(process, 10000);
    CloseHandle(process);

    std::optional<Notice> notice = app.WaitForNotice(30000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->title, "失败");
    EXPECT_TRUE(notice->prompt.starts_with(
        "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！\n原因：输出文件只有 "))
        << notice->prompt;
    EXPECT_NE(
        notice->prompt.find("个值，而源文件有 " + CountText(static_cast<std::uint64_t>(lines)) +
                            " 个；命令解释器没有读完源文件。"),
        std::string::npos)
        << notice->prompt;
    App::CloseNotice(*notice);
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_FALSE(Exists(output)) << "the partial output is removed";
    EXPECT_FALSE(Exists(script));
}

}  // namespace
}  // namespace morvane::wintest
