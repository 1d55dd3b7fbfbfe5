// Pellorin.exe under Wine and the other programs running beside it: the
// gate that refuses while a cmd.exe runs, the busy window while the watch
// waits for every cmd.exe to end, processes whose names only end in
// "md.exe", and a run without any process list.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/windows_inc.h"

#include "platform/win32/utf.h"
#include "platform/win32/win32_system.h"
#include "tests/win32/pellorin_fixture.h"

namespace morvane::wintest {
namespace {

using enum Control;

TEST_F(PellorinTest, WhileAnotherInterpreterRunsTheRunStaysOpen) {
    WriteFile(folder / "a.csv", "1;x;y\r\n2;x2;y2\r\n");
    const std::string output = folder / "提取.txt";
    Fill(folder / "a.csv", output, ";", "03");
    app.Click(StartButton);
    ASSERT_TRUE(WaitFor([&] { return !app.Enabled(StartButton); }, 5000))
        << "the run did not start";
    // Before the first tick (2 s after the start), another cmd.exe.
    HeldInterpreter held;
    ASSERT_TRUE(held.Started());

    EXPECT_EQ(ReadFile(script), ">>\"" + *win32::EncodeForCodePage(output, 936) +
                                    "\" (for /f \"usebackq tokens=3 eol=; delims=;\" %%a in (\"" +
                                    folder / "a.csv" + "\") do @echo(%%a)\r\n");
    Sleep(4500);  // two ticks: both find the interpreter
    EXPECT_FALSE(app.NoticeOpen());
    for (Control control : {SourcePathBox, OutputPathBox, DelimiterBox, FieldNumberBox,
                            ChooseSourceButton, ChooseOutputButton, StartButton, ExitButton})
        EXPECT_FALSE(app.Enabled(control)) << static_cast<int>(control);
    EXPECT_TRUE(app.Enabled(ExampleButton));
    EXPECT_TRUE(app.Visible(ProgressLabel));
    EXPECT_EQ(app.Text(ProgressLabel), "正在提取数据...");
    EXPECT_TRUE(Exists(script));
    SaveScreenshot(app.MainWindow(), "windows-main-window-running.png");

    held.Release();
    std::optional<Notice> notice = app.WaitForNotice(10000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->title, "成功");
    App::CloseNotice(*notice);
    ExpectIdleAndEmpty();
    EXPECT_EQ(ReadInterpreterOutput(output), "y\r\ny2\r\n");
    EXPECT_FALSE(Exists(script));
}

TEST_F(PellorinTest, TheGateRefusesWhileACmdExeRuns) {
    WriteFile(folder / "in.csv", "a,b\r\n");
    HeldInterpreter held;
    ASSERT_TRUE(held.Started());
    ASSERT_TRUE(WaitFor(InterpreterRuns, 5000));
    for (Control button : {ChooseSourceButton, ChooseOutputButton, StartButton}) {
        Fill(folder / "in.csv", folder / "out.txt", ",", "2");
        app.Click(button);
        std::optional<Notice> notice = app.WaitForNotice();
        ASSERT_TRUE(notice.has_value());
        EXPECT_EQ(notice->title, "提示");
        EXPECT_EQ(notice->prompt, "请先打开任务管理器，结束Cmd.exe进程，否则本程序会出现运行错误");
        App::CloseNotice(*notice);
        ASSERT_TRUE(app.WaitIdle());
        Sleep(300);
        EXPECT_FALSE(app.NoticeOpen());  // and no file dialog
        EXPECT_FALSE(Exists(script));
        EXPECT_EQ(app.Text(SourcePathBox), folder / "in.csv");
    }
}

// Wine's WMI provider switched off for the program under test, as on a
// machine whose WMI service is stopped or whose repository is damaged:
// "WinMgmts:" cannot be had, so neither can the process list. (Wine takes a
// program's DLL choices from the registry; a WINEDLLOVERRIDES set here would
// not reach it.)
class WithoutProcessList {
  protected:
    static std::wstring ProgramDllOverrides() {
        const std::wstring program = PellorinPath();
        return L"Software\\Wine\\AppDefaults\\" + program.substr(program.find_last_of(L'\\') + 1) +
               L"\\DllOverrides";
    }
    RegistryValueOverride noWmi{ProgramDllOverrides(), L"wbemprox", REG_SZ, L""};
};

class PellorinWithoutProcessListTest : protected WithoutProcessList, public PellorinTest {};

TEST_F(PellorinWithoutProcessListTest, TheRunWaitsForItsOwnInterpreterAndGetsTheWholeColumn) {
    const std::string source = folder / "slow.csv";
    const std::string output = folder / "out.txt";
    // The interpreter must outlive the first tick. The measured size falls
    // short when the machine was less busy while measuring than now (as under
    // an emulator sharing two cores with other builds); a try that ended too
    // soon is answered and repeated with a source three times as long.
    int lines = SlowSourceLines();
    for (int attempt = 1;; ++attempt, lines *= 3) {
        const std::string column = WriteSource(source, lines);
        // The program sees no process list: another cmd.exe does not close
        // the gate.
        HeldInterpreter other;
        ASSERT_TRUE(other.Started());
        Fill(source, output, ",", "2");
        StartRun();
        other.Release();

        const std::optional<ProcessEntry> interpreter = StartedInterpreter(app);
        ASSERT_TRUE(interpreter.has_value());
        Sleep(3000);  // past the first tick
        const bool outlivedFirstTick = !DescendantProcesses(app.ProcessId()).empty();
        if (!outlivedFirstTick && attempt < 3) {
            std::optional<Notice> early = app.WaitForNotice(kSlowRunTimeoutMs);
            ASSERT_TRUE(early.has_value());
            App::CloseNotice(*early);
            ASSERT_TRUE(app.WaitIdle());
            ASSERT_TRUE(DeleteFileW(win32::Utf8ToWide(output).c_str()));
            continue;
        }
        ASSERT_TRUE(outlivedFirstTick)
            << "the source was not slow enough to keep the interpreter past the first tick";
        ASSERT_FALSE(app.NoticeOpen()) << "the run ended at the first tick: "
                                       << app.WaitForNotice(0).value_or(Notice{}).prompt;

        std::optional<Notice> notice = app.WaitForNotice(kSlowRunTimeoutMs);
        ASSERT_TRUE(notice.has_value());
        EXPECT_EQ(notice->title, "成功");
        EXPECT_EQ(ReadInterpreterOutput(output), column);
        App::CloseNotice(*notice);
        ASSERT_TRUE(app.WaitIdle());
        EXPECT_FALSE(Exists(script));
        return;
    }
}

TEST_F(PellorinTest, ProcessesNamedMdExeAndExeExeDoNotBlock) {
    // Copies of cmd.exe under those names, each held running.
    const std::string md = folder / "md.exe";
    const std::string exe = folder / "exe.exe";
    for (const std::string& copy : {md, exe}) {
        ASSERT_TRUE(
            CopyFileW(L"C:\\windows\\system32\\cmd.exe", win32::Utf8ToWide(copy).c_str(), FALSE));
    }
    HeldInterpreter heldMd(win32::Utf8ToWide(md));
    HeldInterpreter heldExe(win32::Utf8ToWide(exe));
    ASSERT_TRUE(heldMd.Started() && heldExe.Started());
    win32::Win32System system;
    ASSERT_TRUE(WaitFor(
        [&] {
            const auto names = system.RunningProcessNames().value_or(std::vector<std::string>{});
            return std::count(names.begin(), names.end(), "md.exe") == 1 &&
                   std::count(names.begin(), names.end(), "exe.exe") == 1;
        },
        10000))
        << "the process list does not show md.exe and exe.exe";

    WriteFile(folder / "in.csv", "1,one\r\n2,two\r\n");
    Fill(folder / "in.csv", folder / "out.txt", ",", "2");
    const Notice notice = StartAndGetNotice(30000);
    EXPECT_EQ(notice.title, "成功");
    EXPECT_EQ(notice.prompt, "提取完成");
    App::CloseNotice(notice);
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_EQ(ReadInterpreterOutput(folder / "out.txt"), "one\r\ntwo\r\n");
}

}  // namespace
}  // namespace morvane::wintest
