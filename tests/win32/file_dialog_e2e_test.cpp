// Pellorin.exe's Open and Save dialogs under Wine, driven through the
// common file dialog's own controls.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/windows_inc.h"

#include "platform/win32/utf.h"
#include "tests/win32/pellorin_fixture.h"

namespace morvane::wintest {
namespace {

using enum Control;

// The Open and Save dialogs: the common file dialog, its file name box
// (cmb13, an edit inside a combo box) and file type list (cmb1).
constexpr int kFileNameBox = 0x47C;
constexpr int kFileTypeList = 0x470;

HWND WaitForFileDialog(const App& app) {
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            dialog = FindProcessWindow(app.ProcessId(), L"#32770");
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
}  // namespace morvane::wintest
