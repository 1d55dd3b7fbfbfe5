// The Windows system services under Wine: the script file in the ANSI code
// page and its folder, the code-page refusal, the file query, deleting, the
// start of the command interpreter, the WMI process list and the
// single-instance flag.
#include <gtest/gtest.h>

#include "platform/win32/windows_inc.h"

#include <shlobj.h>

#include "extraction/extraction_request.h"
#include "extraction/interpreter_gate.h"
#include "extraction/request_validation.h"
#include "extraction/script_file.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_system.h"
#include "tests/support/fake_runtime.h"
#include "tests/win32/win_test_support.h"
#include "ui/file_choosing.h"
#include "ui/window_text.h"

namespace morvane {
namespace {

using testing::FakeRuntime;
using win32::Win32System;
using wintest::ReadFile;
using wintest::TempDir;
using wintest::WriteFile;

// "提取" in code page 936.
const std::string kTiQu936 = "\xCC\xE1\xC8\xA1";

TEST(ScriptFile, TheScriptFolderIsMadeInTheUsersLocalAppDataAndNeverTakenForAFile) {
    wchar_t base[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                               SHGFP_TYPE_CURRENT, base),
              S_OK);
    const std::wstring folder = std::wstring(base) + L"\\Morvane";
    Win32System system;
    ASSERT_EQ(system.ScriptPath(), win32::WideToUtf8(folder) + "\\1.bat");
    DeleteFileW((folder + L"\\1.bat").c_str());
    RemoveDirectoryW(folder.c_str());
    std::string reason;
    EXPECT_TRUE(system.WriteNewFile(system.ScriptPath(), "x\r\n", reason)) << reason;
    EXPECT_EQ(ReadFile(system.ScriptPath()), "x\r\n");

    // A file where the folder should be: a reason, not a write beside it.
    EXPECT_TRUE(system.DeleteFile(system.ScriptPath()));
    ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));
    WriteFile(win32::WideToUtf8(folder), "not a folder");
    reason.clear();
    EXPECT_FALSE(system.WriteNewFile(system.ScriptPath(), "x\r\n", reason));
    EXPECT_FALSE(reason.empty());
    DeleteFileW(folder.c_str());
}

TEST(CodePage936, NeverABestFitStandIn) {
    ASSERT_EQ(GetACP(), 936u);
    Win32System system;
    EXPECT_EQ(system.EncodeForScript("\xC3\xA4"),
              std::nullopt);  // ä: GBK has no ä, only a best fit "a"
    EXPECT_EQ(system.EncodeForScript("\xC3\xA9"), "\xA8\xA6");  // é: GBK has it (pinyin)
}

TEST(CodePage, UnicodeCodePagesTakeNoFlags) {
    EXPECT_EQ(win32::EncodeForCodePage("😀한", CP_UTF8), "😀한");
    EXPECT_EQ(win32::EncodeForCodePage("", 936), "");
    EXPECT_EQ(win32::EncodeForCodePage("提取", 936), kTiQu936);
    EXPECT_EQ(win32::EncodeForCodePage("提取", 1252), std::nullopt);
    EXPECT_EQ(win32::EncodeForCodePage("\xFF\xFE not UTF-8", 936), std::nullopt);
    // Half of a surrogate pair, as a box's text gives it: no character at all.
    for (UINT codePage : {936u, static_cast<UINT>(CP_UTF8)})
        EXPECT_EQ(win32::EncodeForCodePage(WindowTextToUtf8(u"a\xD840"), codePage), std::nullopt);
}

// Run alone under a locale whose ANSI code page is 1252.
TEST(Acp1252, AChinesePathIsRefusedAndNamesItsBox) {
    ASSERT_EQ(GetACP(), 1252u) << "run this test with a Western locale (LC_ALL=C.UTF-8)";
    Win32System system;
    FakeRuntime boxes;
    boxes.texts[Control::SourcePathBox] = "C:\\data\\caf\xC3\xA9.csv";  // é is in 1252
    boxes.texts[Control::OutputPathBox] = "C:\\321.txt提取.txt";
    boxes.texts[Control::DelimiterBox] = ",";
    EXPECT_EQ(FirstUnencodableBox(boxes, system), Control::OutputPathBox);
    // The script is in the OEM code page the interpreter reads it in (437
    // here), not the ANSI one: é is 0x82 there, 0xE9 in 1252.
    ASSERT_EQ(GetOEMCP(), 437u);
    EXPECT_EQ(system.EncodeForScript("caf\xC3\xA9"), "caf\x82");
    boxes.texts[Control::SourcePathBox] = "C:\\数据.csv";
    EXPECT_EQ(FirstUnencodableBox(boxes, system), Control::SourcePathBox);
    std::string reason;
    EXPECT_FALSE(WriteScriptFile(system, "echo 提取", reason));
}

class FileServicesTest : public ::testing::Test {
  protected:
    TempDir folder;
    Win32System system;
};

TEST_F(FileServicesTest, FindMatchingFileFindsAFileAndAWildcardMatch) {
    WriteFile(folder / "data.csv", "a,b\r\n");
    EXPECT_EQ(system.FindMatchingFile(folder / "data.csv"), "data.csv");
    EXPECT_EQ(system.FindMatchingFile(folder / "DATA.CSV"),
              "data.csv");  // no case in Windows names
    EXPECT_EQ(system.FindMatchingFile(folder / "*.csv"), "data.csv");
    EXPECT_EQ(system.FindMatchingFile(folder / "d?ta.*"), "data.csv");
    EXPECT_EQ(system.FindMatchingFile(folder / "*.txt"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile(folder / "missing.csv"), std::nullopt);
}

TEST_F(FileServicesTest, FindMatchingFileSkipsHiddenAndSystemFilesAndFolders) {
    const std::string hidden = folder / "hidden.txt";
    WriteFile(hidden, "x");
    ASSERT_TRUE(SetFileAttributesW(win32::Utf8ToWide(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(GetFileAttributesW(win32::Utf8ToWide(hidden).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(system.FindMatchingFile(hidden), std::nullopt);
    const std::string sys = folder / "system.txt";
    WriteFile(sys, "x");
    ASSERT_TRUE(SetFileAttributesW(win32::Utf8ToWide(sys).c_str(), FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(system.FindMatchingFile(sys), std::nullopt);
    ASSERT_TRUE(CreateDirectoryW(win32::Utf8ToWide(folder / "sub.txt").c_str(), nullptr));
    EXPECT_EQ(system.FindMatchingFile(folder / "sub.txt"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile(folder / "*.txt"), std::nullopt);
    WriteFile(folder / "normal.txt", "x");
    EXPECT_EQ(system.FindMatchingFile(folder / "*.txt"), "normal.txt");
    // Read-only and archive files are normal files.
    ASSERT_TRUE(SetFileAttributesW(win32::Utf8ToWide(folder / "normal.txt").c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(system.FindMatchingFile(folder / "normal.txt"), "normal.txt");
    SetFileAttributesW(win32::Utf8ToWide(folder / "normal.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileServicesTest, FindMatchingFileOnImpossiblePathsIsNoMatch) {
    EXPECT_EQ(system.FindMatchingFile(""), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile("C:\\a|b.txt"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile("|"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile("C:\\<>\"*.txt"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile("C:\\" + std::string(40000, 'a') + ".txt"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile("C:\\" + std::string(300, 'b') + "\\x.txt"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile("\\\\?\\"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile(std::string("C:\\a\0b", 6)), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile("\xFF\xFE"), std::nullopt);
    EXPECT_EQ(system.FindMatchingFile("Q:\\no-such-drive\\*.txt"), std::nullopt);
}

TEST_F(FileServicesTest, DeleteFileAnswersWhetherTheFileIsGone) {
    WriteFile(folder / "x.bat", "echo");
    EXPECT_TRUE(system.DeleteFile(folder / "x.bat"));
    EXPECT_FALSE(wintest::Exists(folder / "x.bat"));
    EXPECT_TRUE(system.DeleteFile(folder / "x.bat"));  // already gone
    EXPECT_TRUE(system.DeleteFile(folder / "no-folder\\x.bat"));
}

TEST_F(FileServicesTest, WriteNewFileReportsTheSystemsReason) {
    std::string reason;
    EXPECT_FALSE(system.WriteNewFile(folder / "no-folder\\x.bat", "x", reason));
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(reason.back(), '\n');
    EXPECT_NE(reason.back(), '.');
    EXPECT_NE(reason.back(), ' ');
    reason.clear();
    EXPECT_TRUE(system.WriteNewFile(folder / "x.bat", "one\r\n", reason)) << reason;
    EXPECT_TRUE(system.WriteNewFile(folder / "x.bat", "2", reason)) << reason;
    EXPECT_EQ(ReadFile(folder / "x.bat"), "2");
}

// The input checks through the real file query.
class WindowsValidationTest : public ::testing::Test {
  protected:
    void Fill(const std::string& source, const std::string& output) {
        runtime.texts[Control::SourcePathBox] = source;
        runtime.texts[Control::OutputPathBox] = output;
        runtime.texts[Control::DelimiterBox] = ",";
        runtime.texts[Control::FieldNumberBox] = "2";
    }
    std::string OnlyPrompt() {
        runtime.notices.clear();
        if (ValidateRequest(runtime, system)) return "";
        EXPECT_EQ(runtime.notices.size(), 1u);
        return runtime.notices.empty() ? "" : runtime.notices.back().prompt;
    }
    TempDir folder;
    Win32System system;
    FakeRuntime runtime;
};

// Letter case alone does not make another file: the run would append to its
// own source.
TEST_F(WindowsValidationTest, AnOutputThatIsTheSourceInAnyLetterCaseIsRefused) {
    WriteFile(folder / "source.csv", "a,b\r\n");
    for (const char* output : {"source.csv", "SOURCE.CSV"}) {
        runtime.notices.clear();
        runtime.log.clear();
        runtime.focus = Control::SourcePathBox;
        Fill(folder / "source.csv", folder / output);
        EXPECT_EQ(OnlyPrompt(), "源文件名和导出文件名不能相同！") << output;
        EXPECT_EQ(runtime.focus, Control::OutputPathBox) << output;
    }
}

TEST_F(WindowsValidationTest, AWildcardSourceIsFoundThenRefusedAndAHiddenOneFails) {
    WriteFile(folder / "source.csv", "a,b\r\n");
    Fill(folder / "*.csv", folder / "out.txt");
    EXPECT_EQ(OnlyPrompt(), "路径中不能含有“*”或“?”，请修改后再试！");
    const std::string hidden = folder / "hidden.csv";
    WriteFile(hidden, "a,b\r\n");
    SetFileAttributesW(win32::Utf8ToWide(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
    Fill(hidden, folder / "out.txt");
    EXPECT_EQ(OnlyPrompt(), "对不起，源文件路径不正确，请重新输入！");
    EXPECT_EQ(runtime.focus, Control::SourcePathBox);
}

// WMI and Wine's cmd.exe.
bool InterpreterRuns(Win32System& system) { return IsProcessRunning(system, "cmd.exe"); }

TEST(ProcessWatch, TheListHoldsThisProgram) {
    Win32System system;
    const auto descriptions = system.RunningProcessNames();
    ASSERT_TRUE(descriptions.has_value());
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L'\\') + 1);
    bool found = false;
    for (const std::string& description : *descriptions) {
        if (ProcessNameMatches(description, win32::WideToUtf8(name))) found = true;
    }
    EXPECT_TRUE(found) << descriptions->size() << " processes";
}

TEST(ProcessWatch, TrueWhileWinesCmdRunsAndFalseAfter) {
    Win32System system;
    ASSERT_FALSE(InterpreterRuns(system)) << "a cmd.exe was already running";
    EXPECT_FALSE(IsProcessRunning(system, "cmd.exe"));
    {
        wintest::HeldInterpreter held;
        ASSERT_TRUE(held.Started());
        EXPECT_TRUE(wintest::WaitFor([&] { return InterpreterRuns(system); }, 5000));
        EXPECT_TRUE(IsProcessRunning(system, "CMD.EXE"));
        held.Release();
    }
    EXPECT_TRUE(wintest::WaitFor([&] { return !InterpreterRuns(system); }, 5000));
}

TEST(ProcessWatch, TheGateBlocksWhileAnInterpreterRuns) {
    Win32System system;
    FakeRuntime controls;
    {
        wintest::HeldInterpreter held;
        ASSERT_TRUE(held.Started());
        ASSERT_TRUE(wintest::WaitFor([&] { return InterpreterRuns(system); }, 5000));
        EXPECT_EQ(InterpreterGate(controls, system), Gate::Blocked);
        ASSERT_EQ(controls.notices.size(), 1u);
        EXPECT_EQ(controls.notices[0].prompt,
                  "请先打开任务管理器，结束Cmd.exe进程，否则本程序会出现运行错误");
        EXPECT_EQ(controls.notices[0].title, "提示");
    }
    ASSERT_TRUE(wintest::WaitFor([&] { return !InterpreterRuns(system); }, 5000));
    EXPECT_EQ(InterpreterGate(controls, system), Gate::Open);
    EXPECT_EQ(controls.notices.size(), 1u);
}

TEST(StartInterpreter, RunsTheScriptHiddenWithWinesCmd) {
    ASSERT_EQ(GetACP(), 936u);
    Win32System system;
    TempDir folder;
    // Chinese file names (the script holds them in code page 936); plain data,
    // as Wine's cmd.exe reads and writes non-ASCII data in code pages of its
    // own choosing when it shares this console.
    WriteFile(folder / "源.csv", "01,zhang,m\r\n02,li,m\r\n");
    const std::string output = folder / "源.csv提取.txt";
    ExtractionRequest request{folder / "源.csv", output,        ",",       2,
                              kTokensClause,     kDelimsClause, kInClause, kEchoClause};
    std::string reason;
    ASSERT_TRUE(WriteScriptFile(system, ComposeScriptLine(request), reason)) << reason;
    ASSERT_TRUE(system.StartInterpreter(system.ScriptPath(), reason)) << reason;
    EXPECT_TRUE(wintest::WaitFor(
        [&] { return system.FindMatchingFile(output).has_value() && !InterpreterRuns(system); },
        15000));
    EXPECT_EQ(wintest::ReadInterpreterOutput(output), "zhang\r\nli\r\n");
    EXPECT_TRUE(system.DeleteFile(system.ScriptPath()));
}

TEST(StartInterpreter, TheInterpreterIsComSpecOrElseCmdExeInTheSystemFolder) {
    Win32System system;
    TempDir folder;
    std::string reason;
    {
        wintest::EnvironmentOverride missing(L"ComSpec", L"C:\\no-such-folder\\cmd.exe");
        EXPECT_FALSE(system.StartInterpreter(folder / "1.bat", reason));
        EXPECT_FALSE(reason.empty());
    }
    // ComSpec empty: the system folder's cmd.exe runs the script.
    const std::string script = folder / "a b & (c).bat";
    WriteFile(script, "echo done>\"" + folder / "done.txt" + "\"\r\n");
    wintest::EnvironmentOverride empty(L"ComSpec", L"");
    ASSERT_TRUE(system.StartInterpreter(script, reason)) << reason;
    EXPECT_TRUE(
        wintest::WaitFor([&] { return ReadFile(folder / "done.txt") == "done\r\n"; }, 15000));
}

TEST(SingleInstance, TheSecondClaimSeesTheFirst) {
    {
        Win32System first;
        EXPECT_TRUE(first.ClaimSingleInstance());
        EXPECT_TRUE(first.ClaimSingleInstance());  // asked again: the same answer
        Win32System second;
        EXPECT_FALSE(second.ClaimSingleInstance());
    }
    Win32System third;
    EXPECT_TRUE(third.ClaimSingleInstance());
}

}  // namespace
}  // namespace morvane
