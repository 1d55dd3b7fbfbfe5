// Pellorin.exe (the 64-bit build) under Wine, given a file the ways
// Explorer gives one: on its command line ("Open with", a file dropped on
// the exe's icon) and dropped on its window (WM_DROPFILES).
#include <gtest/gtest.h>

#include "platform/win32/windows_inc.h"

#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "tests/win32/app_driver.h"
#include "tests/win32/pellorin_fixture.h"
#include "tests/win32/win_test_support.h"

namespace morvane::wintest {
namespace {

// A drop as Explorer hands it over: a DROPFILES header, then the wide paths,
// each ended by a NUL, and one NUL more.
std::string DropBlock(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const std::string& path : paths) names += win32::Utf8ToWide(path) + L'\0';
    names += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    block.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
    return block;
}

// Delivers a WM_DROPFILES to the program's main window. A drop's HDROP is
// global memory of the receiving process, and Wine does not carry a block
// of this process across with the message (a movable block sent from here
// arrives as a handle the program cannot read). So the block is written
// into the program's own memory, where it is the fixed-memory form of an
// HDROP (its address), and the message is sent with that address.
bool DeliverDrop(const App& app, const std::vector<std::string>& paths) {
    const std::string block = DropBlock(paths);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, app.ProcessId());
    if (!process) return false;
    void* remote =
        VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const bool written =
        remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
    if (written) SendMessageW(app.MainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return written;
}

class OpeningAFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "run with LC_ALL=zh_CN.UTF-8";
        ASSERT_TRUE(WaitFor([] { return !InterpreterRuns(); }, 10000)) << "a cmd.exe is running";
        WriteFile(csv, "01,a\r\n");
        WriteFile(text, "01,a\r\n");
    }

    TempDir folder;
    const std::string csv = folder / "数据 1.csv";
    const std::string text = folder / "b.TXT";
};

TEST_F(OpeningAFile, AFileOnTheCommandLineFillsTheBoxesOnceTheWindowShows) {
    App app(20000, L"\"" + win32::Utf8ToWide(csv) + L"\"");
    ASSERT_TRUE(app.Started());
    EXPECT_TRUE(WaitFor([&] { return app.Text(Control::SourcePathBox) == csv; }, 5000))
        << app.Text(Control::SourcePathBox);
    EXPECT_EQ(app.Text(Control::OutputPathBox), csv + "提取.CSV");
    EXPECT_FALSE(app.NoticeOpen());
}

TEST_F(OpeningAFile, AFileDroppedOnTheWindowFillsTheBoxes) {
    App app;
    ASSERT_TRUE(app.Started());
    app.SetText(Control::SourcePathBox, "typed");
    // Several at once: the first regular file, past a folder.
    ASSERT_TRUE(DeliverDrop(app, {folder.Path(), text, csv}));
    EXPECT_TRUE(WaitFor([&] { return app.Text(Control::SourcePathBox) == text; }, 5000))
        << app.Text(Control::SourcePathBox);
    EXPECT_EQ(app.Text(Control::OutputPathBox), text + "提取.txt");
    EXPECT_FALSE(app.NoticeOpen());
    EXPECT_TRUE(app.Running());
}

}  // namespace
}  // namespace morvane::wintest
