// Pellorin.exe under Wine (the 64-bit build, or whichever MORVANE_PELLORIN
// names), driven from outside through window messages: whole extractions
// with Wine's cmd.exe and WMI, the script in the user's own folder, the
// launch without a window, the busy window, the verdicts (a killed
// interpreter, a process list that cannot be had), the input checks, the
// gate, the digit filter, the single-instance guard, the example window and
// both windows at 96, 120 and 144 dpi. Screenshots go to
// $MORVANE_SCREENSHOTS.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/windows_inc.h"

#include <commctrl.h>
#include <shlobj.h>

#include "extraction/extraction_request.h"
#include "extraction/interpreter_gate.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_system.h"
#include "tests/support/control_name.h"
#include "tests/support/layout_walk.h"
#include "tests/win32/app_driver.h"
#include "tests/win32/screenshot.h"
#include "tests/win32/win_test_support.h"
#include "ui/layout.h"

namespace morvane {
namespace {

using enum Control;
using wintest::App;
using wintest::Notice;
using wintest::ReadFile;
using wintest::ReadInterpreterOutput;
using wintest::TempDir;
using wintest::WaitFor;
using wintest::WriteFile;

// Where the program keeps its script, found the way the system finds the
// user's local application-data folder.
std::string UserScriptPath() {
    wchar_t base[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                     base);
    return win32::WideToUtf8(base) + "\\Morvane\\1.bat";
}

// A source of `lines` lines "n,vn,x". Answers the column a whole run writes.
std::string WriteSource(const std::string& path, int lines) {
    std::string source, column;
    for (int n = 1; n <= lines; ++n) {
        source += std::to_string(n) + ",v" + std::to_string(n) + ",x\r\n";
        column += "v" + std::to_string(n) + "\r\n";
    }
    WriteFile(path, source);
    return column;
}

// How many lines keep Wine's cmd.exe busy for about eight seconds (each echo
// opens and closes the output, so the time grows with the lines): measured
// once on this machine, from the difference between runs of 100 and 600
// lines, so that the interpreter's own start does not count.
int SlowSourceLines() {
    static const int lines = [] {
        TempDir scratch;
        auto secondsFor = [&](int sample) {
            const std::string name = "sample" + std::to_string(sample);
            WriteSource(scratch / (name + ".csv"), sample);
            WriteFile(scratch / (name + ".bat"),
                      ">>\"" + scratch / (name + ".txt") +
                          "\" (for /f \"usebackq tokens=2 eol=, delims=,\" %%a in (\"" +
                          scratch / (name + ".csv") + "\") do @echo(%%a)\r\n");
            const ULONGLONG begun = GetTickCount64();
            wintest::RunAndWait(
                L"cmd.exe /d /c \"\"" + win32::Utf8ToWide(scratch / (name + ".bat")) + L"\"\"",
                60000);
            return static_cast<double>(GetTickCount64() - begun) / 1000.0;
        };
        const double small = secondsFor(100);
        const double large = secondsFor(600);
        const double perLine = std::max(large - small, 0.05) / 500;
        return std::clamp(static_cast<int>(8 / perLine), 2000, 60000);
    }();
    return lines;
}

// A source that keeps the interpreter busy for several seconds.
std::string WriteSlowSource(const std::string& path) {
    return WriteSource(path, SlowSourceLines());
}
constexpr DWORD kSlowRunTimeoutMs = 240000;

// The interpreter the program started (a cmd.exe below it), once it runs.
std::optional<wintest::ProcessEntry> StartedInterpreter(const App& app) {
    std::optional<wintest::ProcessEntry> found;
    WaitFor(
        [&] {
            for (const wintest::ProcessEntry& process :
                 wintest::DescendantProcesses(app.ProcessId()))
                if (_wcsicmp(process.name.c_str(), L"cmd.exe") == 0) found = process;
            return found.has_value();
        },
        10000);
    return found;
}

bool InterpreterRuns() {
    win32::Win32System system;
    return IsProcessRunning(system, "cmd.exe");
}

void SaveScreenshot(HWND window, const std::string& name) {
    const std::string folder = wintest::ScreenshotFolder();
    if (folder.empty()) return;
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    Sleep(700);  // let the program paint
    EXPECT_TRUE(wintest::SaveWindowPicture(window, folder + "\\" + name)) << name;
}

class PellorinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "run with LC_ALL=zh_CN.UTF-8";
        ASSERT_TRUE(WaitFor([] { return !InterpreterRuns(); }, 10000)) << "a cmd.exe is running";
        DeleteFileW(win32::Utf8ToWide(script).c_str());
        ASSERT_TRUE(app.Started()) << "Pellorin.exe did not show its window";
        // The run on the 32-bit release must really execute it as 32-bit.
        if (const char* bits = getenv("MORVANE_PELLORIN_BITS")) {
            ASSERT_EQ(app.Bits(), atoi(bits));
        }
    }

    void Fill(const std::string& source, const std::string& output, const std::string& delimiter,
              const std::string& field) {
        app.SetText(SourcePathBox, source);
        app.SetText(OutputPathBox, output);
        app.SetText(DelimiterBox, delimiter);
        app.SetText(FieldNumberBox, field);
    }

    // Presses Start and answers the notice that follows.
    Notice StartAndGetNotice(DWORD timeoutMs = 10000) {
        app.Click(StartButton);
        std::optional<Notice> notice = app.WaitForNotice(timeoutMs);
        EXPECT_TRUE(notice.has_value()) << "no notice";
        return notice.value_or(Notice{});
    }

    void ExpectIdleAndEmpty() {
        ASSERT_TRUE(app.WaitIdle());
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == SourcePathBox; }, 3000));
        testing::ExpectIdleWindow(app, testing::InputBoxes::Emptied);
    }

    // Presses Start and waits until the run has begun.
    void StartRun() {
        app.Click(StartButton);
        ASSERT_TRUE(WaitFor([&] { return !app.Enabled(StartButton); }, 10000))
            << "the run did not start: " << app.WaitForNotice(0).value_or(Notice{}).prompt;
    }

    const std::string script = UserScriptPath();
    TempDir folder;
    App app;
};

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
    EXPECT_FALSE(wintest::Exists(script));
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

TEST_F(PellorinTest, WhileAnotherInterpreterRunsTheRunStaysOpen) {
    WriteFile(folder / "a.csv", "1;x;y\r\n2;x2;y2\r\n");
    const std::string output = folder / "提取.txt";
    Fill(folder / "a.csv", output, ";", "03");
    app.Click(StartButton);
    ASSERT_TRUE(WaitFor([&] { return !app.Enabled(StartButton); }, 5000))
        << "the run did not start";
    // Before the first tick (2 s after the start), another cmd.exe.
    wintest::HeldInterpreter held;
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
    EXPECT_TRUE(wintest::Exists(script));
    SaveScreenshot(app.MainWindow(), "windows-main-window-running.png");

    held.Release();
    std::optional<Notice> notice = app.WaitForNotice(10000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->title, "成功");
    App::CloseNotice(*notice);
    ExpectIdleAndEmpty();
    EXPECT_EQ(ReadInterpreterOutput(output), "y\r\ny2\r\n");
    EXPECT_FALSE(wintest::Exists(script));
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
              "原因：源文件中没有一行含有第5段。");
    EXPECT_EQ(app.Text(ProgressLabel), "正在提取数据...");
    App::CloseNotice(notice);
    ExpectIdleAndEmpty();
    EXPECT_FALSE(wintest::Exists(output));
    EXPECT_FALSE(wintest::Exists(script));
}

TEST_F(PellorinTest, TheSevenChecksInOrderWithTheirFocusMoves) {
    WriteFile(folder / "in.csv", "a,b\r\n");
    WriteFile(folder / "taken.txt", "x\r\n");
    struct Step {
        const char* source;
        const char* output;
        const char* delimiter;
        const char* field;
        const char* prompt;
        Control focus;
    };
    const std::string in = folder / "in.csv";
    const std::string missing = folder / "missing.csv";
    const std::string taken = folder / "taken.txt";
    const std::string free = folder / "free.txt";
    const std::string noFolder = folder / "no folder\\out.txt";
    // A hidden file is there all the same, though the directory search
    // skips it: refused like any other, and never written into.
    const std::string hidden = folder / "hidden.txt";
    WriteFile(hidden, "kept\r\n");
    ASSERT_TRUE(SetFileAttributesW(win32::Utf8ToWide(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::vector<Step> steps = {
        {"", "", "", "", "请输入源文件路径！", SourcePathBox},
        {in.c_str(), "", "", "", "请输入输出路径！", OutputPathBox},
        {in.c_str(), free.c_str(), "", "", "请输入分割符号！", DelimiterBox},
        {in.c_str(), free.c_str(), ",", "", "选择你需要提取的段落编号！", FieldNumberBox},
        {missing.c_str(), free.c_str(), ",", "2", "对不起，源文件路径不正确，请重新输入！",
         SourcePathBox},
        {in.c_str(), in.c_str(), ",", "2", "源文件名和导出文件名不能相同！", OutputPathBox},
        {in.c_str(), taken.c_str(), ",", "2", "导出文件名已存在，请重新输入！", OutputPathBox},
        {in.c_str(), hidden.c_str(), ",", "2", "导出文件名已存在，请重新输入！", OutputPathBox},
        // After the seven, what would make the run fail.
        {in.c_str(), "out.txt", ",", "2",
         "输出路径必须是从根目录或盘符开始的完整路径，请重新输入！", OutputPathBox},
        {in.c_str(), noFolder.c_str(), ",", "2", "输出路径所在的文件夹不存在，请重新输入！",
         OutputPathBox},
    };
    for (const Step& step : steps) {
        Fill(step.source, step.output, step.delimiter, step.field);
        app.SetText(FieldNumberBox, step.field);
        const Notice notice = StartAndGetNotice();
        EXPECT_EQ(notice.title, "提示！");
        EXPECT_EQ(notice.prompt, step.prompt);
        App::CloseNotice(notice);
        ASSERT_TRUE(app.WaitIdle()) << step.prompt;
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == step.focus; }, 3000)) << step.prompt;
        // Nothing changed, nothing started.
        EXPECT_EQ(app.Text(SourcePathBox), step.source);
        EXPECT_EQ(app.Text(DelimiterBox), step.delimiter);
        EXPECT_FALSE(wintest::Exists(script));
    }
    EXPECT_EQ(ReadFile(hidden), "kept\r\n");
    // Letter case alone does not make another file: it is the source.
    std::string upper = in;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    Fill(in, upper, ",", "2");
    const Notice notice = StartAndGetNotice();
    EXPECT_EQ(notice.prompt, "源文件名和导出文件名不能相同！");
    App::CloseNotice(notice);
}

TEST_F(PellorinTest, EnterInAnyBoxPressesStartAndTabFollowsTheTabOrder) {
    ASSERT_TRUE(WaitFor([&] { return app.Focus() == SourcePathBox; }, 3000));
    const std::vector<Control> order = {OutputPathBox, DelimiterBox,       FieldNumberBox,
                                        ExampleButton, ChooseSourceButton, ChooseOutputButton,
                                        ExitButton,    StartButton,        SourcePathBox};
    for (Control next : order) {
        app.PressKey(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == next; }, 3000)) << static_cast<int>(next);
    }
    app.PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return app.Focus() == OutputPathBox; }, 3000));
    app.PressKey(VK_RETURN);
    std::optional<Notice> notice = app.WaitForNotice();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->prompt, "请输入源文件路径！");
    App::CloseNotice(*notice);
}

TEST_F(PellorinTest, TheGateRefusesWhileACmdExeRuns) {
    WriteFile(folder / "in.csv", "a,b\r\n");
    wintest::HeldInterpreter held;
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
        EXPECT_FALSE(wintest::Exists(script));
        EXPECT_EQ(app.Text(SourcePathBox), folder / "in.csv");
    }
}

TEST_F(PellorinTest, TheFieldBoxTakesOnlyDigitsAndTheDelimiterBoxOneCharacter) {
    for (wchar_t c : {L'a', L'-', L'.', L' ', L'中', L'1'}) app.Type(FieldNumberBox, c);
    EXPECT_EQ(app.Text(FieldNumberBox), "1");
    app.Type(FieldNumberBox, L'\b');
    EXPECT_EQ(app.Text(FieldNumberBox), "");
    for (wchar_t c : {L'0', L'7', L'9'}) app.Type(FieldNumberBox, c);
    EXPECT_EQ(app.Text(FieldNumberBox), "07");  // at most two characters
    app.Type(FieldNumberBox, L'\b');

    const auto putOnClipboard = [](std::wstring_view text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        memcpy(GlobalLock(memory), text.data(), text.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    };
    // Ctrl+V arrives as character 22: discarded like any other.
    putOnClipboard(L"x5");
    app.Type(FieldNumberBox, 22);
    EXPECT_EQ(app.Text(FieldNumberBox), "0");
    // The context menu's Paste is not filtered; the length limit holds.
    SendMessageW(app.Window(FieldNumberBox), WM_PASTE, 0, 0);
    EXPECT_EQ(app.Text(FieldNumberBox), "0x");

    for (wchar_t c : {L'，', L';'}) app.Type(DelimiterBox, c);
    EXPECT_EQ(app.Text(DelimiterBox), "，");
    // One character, whether it takes one UTF-16 unit or two.
    for (const auto& [pasted, kept] : {std::pair{L"𠀀x", "𠀀"}, std::pair{L"x𠀀", "x"}}) {
        app.SetText(DelimiterBox, "");
        putOnClipboard(pasted);
        SendMessageW(app.Window(DelimiterBox), WM_PASTE, 0, 0);
        EXPECT_EQ(app.Text(DelimiterBox), kept);
    }
}

TEST_F(PellorinTest, ASecondCopyShowsOnlyItsNoticeAndEnds) {
    App second(3000);
    EXPECT_FALSE(second.Started());  // no main window of its own
    std::optional<Notice> notice = second.WaitForNotice();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->title, "提示");
    EXPECT_EQ(notice->prompt, "一次只能运行一个程序,否则可能造成程序出错!");
    EXPECT_EQ(wintest::FindProcessWindow(second.ProcessId(), win32::kMainWindowClass), nullptr);
    App::CloseNotice(*notice);
    EXPECT_TRUE(second.WaitForExit(5000));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(IsWindowVisible(app.MainWindow()));
}

// What it shows, afresh each time, is a controls-contract case.
TEST_F(PellorinTest, TheExampleWindowIsModalAndMadeAnewOnEveryShow) {
    HWND first = nullptr;
    for (int show = 0; show < 2; ++show) {
        HWND exampleWindow = app.OpenExampleWindow();
        ASSERT_NE(exampleWindow, nullptr);
        EXPECT_FALSE(IsWindowEnabled(app.MainWindow()));  // the main window takes no input
        RECT outer, inner;
        GetWindowRect(app.MainWindow(), &outer);
        GetWindowRect(exampleWindow, &inner);
        EXPECT_NEAR((inner.left + inner.right) / 2, (outer.left + outer.right) / 2, 2);
        if (show == 0) {
            first = exampleWindow;
            SaveScreenshot(exampleWindow, "windows-example-window.png");
            PostMessageW(GetDlgItem(exampleWindow, win32::ControlId(ExampleCloseButton)), BM_CLICK,
                         0, 0);
        } else {
            EXPECT_NE(exampleWindow, first);
            // Enter presses "我知道了" too.
            SetForegroundWindow(exampleWindow);
            app.PressKey(VK_RETURN);
        }
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(exampleWindow); }, 5000));
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app.MainWindow()) != FALSE; }, 3000));
    }
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
    wintest::RegistryValueOverride redirected;
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
    EXPECT_FALSE(wintest::Exists(localAppData + "\\Morvane"));

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
    const std::optional<wintest::ProcessEntry> interpreter = StartedInterpreter(app);
    ASSERT_TRUE(interpreter.has_value()) << "no cmd.exe below the program";
    for (int look = 0; look < 10; ++look) {
        const std::vector<wintest::ProcessEntry> tree =
            wintest::DescendantProcesses(app.ProcessId());
        EXPECT_TRUE(wintest::VisibleWindowsOf(tree).empty()) << "a window showed at look " << look;
        Sleep(100);
    }

    std::optional<Notice> notice = app.WaitForNotice(kSlowRunTimeoutMs);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->title, "成功");
    App::CloseNotice(*notice);
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_EQ(ReadInterpreterOutput(output), column);
    EXPECT_FALSE(wintest::Exists(script));
    EXPECT_TRUE(wintest::Exists(localAppData + "\\Morvane"));
}

// Wine's WMI provider switched off for the program under test, as on a
// machine whose WMI service is stopped or whose repository is damaged:
// "WinMgmts:" cannot be had, so neither can the process list. (Wine takes a
// program's DLL choices from the registry; a WINEDLLOVERRIDES set here would
// not reach it.)
class WithoutProcessList {
  protected:
    static std::wstring ProgramDllOverrides() {
        const std::wstring program = wintest::PellorinPath();
        return L"Software\\Wine\\AppDefaults\\" + program.substr(program.find_last_of(L'\\') + 1) +
               L"\\DllOverrides";
    }
    wintest::RegistryValueOverride noWmi{ProgramDllOverrides(), L"wbemprox", REG_SZ, L""};
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
        wintest::HeldInterpreter other;
        ASSERT_TRUE(other.Started());
        Fill(source, output, ",", "2");
        StartRun();
        other.Release();

        const std::optional<wintest::ProcessEntry> interpreter = StartedInterpreter(app);
        ASSERT_TRUE(interpreter.has_value());
        Sleep(3000);  // past the first tick
        const bool outlivedFirstTick = !wintest::DescendantProcesses(app.ProcessId()).empty();
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
        EXPECT_FALSE(wintest::Exists(script));
        return;
    }
}

TEST_F(PellorinTest, AnInterpreterEndedFromOutsideMidRunIsAFailure) {
    const std::string source = folder / "slow.csv";
    const std::string output = folder / "out.txt";
    WriteSlowSource(source);
    Fill(source, output, ",", "2");
    StartRun();
    const std::optional<wintest::ProcessEntry> interpreter = StartedInterpreter(app);
    ASSERT_TRUE(interpreter.has_value());
    ASSERT_TRUE(WaitFor([&] { return !ReadFile(output).value_or("").empty(); }, 60000));

    // As the task manager ends a process.
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, interpreter->id);
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(TerminateProcess(process, 1));
    WaitForSingleObject(process, 10000);
    CloseHandle(process);

    std::optional<Notice> notice = app.WaitForNotice(30000);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->title, "失败");
    EXPECT_EQ(notice->prompt, "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！");
    App::CloseNotice(*notice);
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_FALSE(wintest::Exists(output)) << "the partial output is removed";
    EXPECT_FALSE(wintest::Exists(script));
}

TEST_F(PellorinTest, ProcessesNamedMdExeAndExeExeDoNotBlock) {
    // Copies of cmd.exe under those names, each held running.
    const std::string md = folder / "md.exe";
    const std::string exe = folder / "exe.exe";
    for (const std::string& copy : {md, exe}) {
        ASSERT_TRUE(
            CopyFileW(L"C:\\windows\\system32\\cmd.exe", win32::Utf8ToWide(copy).c_str(), FALSE));
    }
    wintest::HeldInterpreter heldMd(win32::Utf8ToWide(md));
    wintest::HeldInterpreter heldExe(win32::Utf8ToWide(exe));
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

// Every top-level window of the process, visible or not, of one class.
std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* className) {
    struct Found {
        DWORD processId;
        const wchar_t* className;
        std::vector<HWND> windows;
    } found{processId, className, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* f = reinterpret_cast<Found*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == f->processId && std::wstring(name) == f->className)
                f->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

// The screen's dpi for the programs the test starts (the LogPixels value
// Windows and Wine read when a program starts). The display itself keeps the
// dpi its session began with (on Windows the sign-in, under Wine 10 the Wine
// session), so each dpi but 96 runs in a session of its own begun at that dpi
// (wine-run.sh, for the tests named after their dpi).
class WithScreenDpi {
  protected:
    explicit WithScreenDpi(int dpi)
        : dpi(dpi), logPixels(L"Control Panel\\Desktop", L"LogPixels", static_cast<DWORD>(dpi)) {}
    const int dpi;
    wintest::RegistryValueOverride logPixels;
};

class PellorinAtDpiTest : public ::testing::WithParamInterface<int>,
                          protected WithScreenDpi,
                          public PellorinTest {
  protected:
    PellorinAtDpiTest() : WithScreenDpi(GetParam()) {}
    int Pixels(int twips) const { return TwipsToPixels(twips, dpi); }

    // Each control of `form` in `window` has the place and size its layout
    // entry gives at the screen's dpi. (The example's frame is no control:
    // the window draws it.)
    void ExpectPlacedAsLaidOut(HWND window, const FormSpec& form) {
        testing::ForEachPlacedControl(
            form, dpi, [&](const ControlSpec& entry, const testing::PixelRect& place) {
                if (entry.kind == ControlKind::Frame) return;
                HWND control = GetDlgItem(window, win32::ControlId(entry.name));
                ASSERT_NE(control, nullptr) << testing::ControlName(entry.name);
                RECT rect;
                GetWindowRect(control, &rect);
                MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
                EXPECT_EQ((testing::PixelRect{rect.left, rect.top, rect.right - rect.left,
                                              rect.bottom - rect.top}),
                          place)
                    << testing::ControlName(entry.name);
            });
    }
};

// Both windows follow the screen's dpi; whether each caption fits its
// control at each dpi is checked where the fonts can be read
// (form_builder_test.cpp), and the screenshots show it.
TEST_P(PellorinAtDpiTest, BothWindowsAreBuiltFromTheirLayoutTablesAtTheScreensDpi) {
    EXPECT_EQ(wintest::WindowText(app.MainWindow()), "Morvane");
    RECT client;
    GetClientRect(app.MainWindow(), &client);
    EXPECT_EQ(client.right, Pixels(7110));
    EXPECT_EQ(client.bottom, Pixels(2340));
    EXPECT_FALSE(GetWindowLongW(app.MainWindow(), GWL_STYLE) & WS_THICKFRAME);  // fixed size

    ExpectPlacedAsLaidOut(app.MainWindow(), MainWindowLayout());
    int tooltips = 0;
    for (const ControlSpec& entry : MainWindowLayout().controls) {
        HWND control = app.Window(entry.name);
        ASSERT_NE(control, nullptr) << testing::ControlName(entry.name);
        EXPECT_EQ(IsWindowVisible(control) != FALSE, !entry.hidden)
            << testing::ControlName(entry.name);
        EXPECT_EQ(wintest::WindowText(control), entry.text) << testing::ControlName(entry.name);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        if (entry.kind == ControlKind::TextBox && entry.maxLength > 0) {
            // Room for each character to be a surrogate pair.
            EXPECT_EQ(SendMessageW(control, EM_GETLIMITTEXT, 0, 0), 2 * entry.maxLength);
        }
        if (entry.kind == ControlKind::Button) {
            EXPECT_EQ((style & 0xF) == BS_DEFPUSHBUTTON, entry.isDefault)
                << testing::ControlName(entry.name);
        }
        if (entry.tooltip[0] != '\0') ++tooltips;
    }
    // One tooltip window holding a tool for each control that has a tooltip.
    int tools = 0;
    for (HWND tip : ProcessWindows(app.ProcessId(), L"tooltips_class32")) {
        if (GetWindow(tip, GW_OWNER) == app.MainWindow())
            tools += static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    }
    EXPECT_EQ(tools, tooltips);
    EXPECT_EQ(tooltips, 5);
    const std::string suffix = dpi == 96 ? "" : "-" + std::to_string(dpi) + "dpi";
    if (dpi != 96) SaveScreenshot(app.MainWindow(), "windows-main-window" + suffix + ".png");

    // The example window: borderless, so its client area is the window.
    HWND exampleWindow = app.OpenExampleWindow();
    ASSERT_NE(exampleWindow, nullptr);
    RECT outer;
    GetWindowRect(exampleWindow, &outer);
    EXPECT_EQ(outer.right - outer.left, Pixels(ExampleWindowLayout().clientWidth));
    EXPECT_EQ(outer.bottom - outer.top, Pixels(ExampleWindowLayout().clientHeight));
    ExpectPlacedAsLaidOut(exampleWindow, ExampleWindowLayout());
    if (dpi != 96) SaveScreenshot(exampleWindow, "windows-example-window" + suffix + ".png");
    PostMessageW(GetDlgItem(exampleWindow, win32::ControlId(ExampleCloseButton)), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(exampleWindow); }, 5000));
}

INSTANTIATE_TEST_SUITE_P(Dpi, PellorinAtDpiTest, ::testing::Values(96, 120, 144),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "dpi";
                         });

// The Open and Save dialogs: the common file dialog, its file name box
// (cmb13, an edit inside a combo box) and file type list (cmb1).
constexpr int kFileNameBox = 0x47C;
constexpr int kFileTypeList = 0x470;

HWND WaitForFileDialog(const App& app) {
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            dialog = wintest::FindProcessWindow(app.ProcessId(), L"#32770");
            return dialog && GetDlgItem(dialog, kFileNameBox);
        },
        10000);
    return dialog && GetDlgItem(dialog, kFileNameBox) ? dialog : nullptr;
}

// Picks `path` in the dialog with the file type entry `typeIndex` (0-based).
void Choose(HWND dialog, const std::string& path, int typeIndex) {
    HWND types = GetDlgItem(dialog, kFileTypeList);
    SendMessageW(types, CB_SETCURSEL, typeIndex, 0);
    // The notification each dialog implementation listens to.
    for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeList, code),
                     reinterpret_cast<LPARAM>(types));
    }
    const std::wstring wide = win32::Utf8ToWide(path);
    HWND box = GetDlgItem(dialog, kFileNameBox);
    if (HWND combo = FindWindowExW(box, nullptr, L"ComboBox", nullptr)) box = combo;
    if (HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr)) box = edit;
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(PellorinTest, TheFileDialogsFillTheBoxesAndACancelLeavesThem) {
    const std::string source = folder / "数据.csv";
    WriteFile(source, "a,b\r\n");

    // Open, CSV entry: the source and the proposed output.
    app.Click(ChooseSourceButton);
    HWND dialog = WaitForFileDialog(app);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kFileTypeList), CB_GETCOUNT, 0, 0), 2);
    Choose(dialog, source, 1);
    EXPECT_TRUE(WaitFor([&] { return app.Text(SourcePathBox) == source; }, 5000))
        << app.Text(SourcePathBox);
    EXPECT_EQ(app.Text(OutputPathBox), source + "提取.CSV");

    // Open, text entry: the other suffix.
    app.Click(ChooseSourceButton);
    ASSERT_NE(dialog = WaitForFileDialog(app), nullptr);
    Choose(dialog, source, 0);
    EXPECT_TRUE(WaitFor([&] { return app.Text(OutputPathBox) == source + "提取.txt"; }, 5000))
        << app.Text(OutputPathBox);

    // Cancelled: both boxes stay as they were.
    app.Click(ChooseSourceButton);
    ASSERT_NE(dialog = WaitForFileDialog(app), nullptr);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_EQ(app.Text(SourcePathBox), source);
    EXPECT_EQ(app.Text(OutputPathBox), source + "提取.txt");

    // Save as "result" under the CSV entry: the output box alone.
    app.Click(ChooseOutputButton);
    ASSERT_NE(dialog = WaitForFileDialog(app), nullptr);
    Choose(dialog, folder / "result", 1);
    EXPECT_TRUE(WaitFor([&] { return app.Text(OutputPathBox) == folder / "result.CSV"; }, 5000))
        << app.Text(OutputPathBox);
    EXPECT_EQ(app.Text(SourcePathBox), source);
}

}  // namespace
}  // namespace morvane
