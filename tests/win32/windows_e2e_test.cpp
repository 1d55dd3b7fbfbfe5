// Pellorin.exe's windows under Wine: the single-instance guard, the modal
// example window, and both windows built from their layout tables at 96,
// 120 and 144 dpi (the tests named after their dpi run in a Wine session
// begun at it).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/windows_inc.h"

#include <commctrl.h>

#include "platform/win32/control_ids.h"
#include "tests/support/control_name.h"
#include "tests/support/layout_walk.h"
#include "tests/win32/pellorin_fixture.h"
#include "ui/layout.h"

namespace morvane::wintest {
namespace {

using enum Control;

TEST_F(PellorinTest, ASecondCopyShowsOnlyItsNoticeAndEnds) {
    App second(3000);
    EXPECT_FALSE(second.Started());  // no main window of its own
    std::optional<Notice> notice = second.WaitForNotice();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->title, "提示");
    EXPECT_EQ(notice->prompt, "一次只能运行一个程序,否则可能造成程序出错!");
    EXPECT_EQ(FindProcessWindow(second.ProcessId(), win32::kMainWindowClass), nullptr);
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
    RegistryValueOverride logPixels;
};

class PellorinAtDpiTest : public ::testing::WithParamInterface<int>,
                          protected WithScreenDpi,
                          public PellorinTest {
  protected:
    PellorinAtDpiTest() : WithScreenDpi(GetParam()) {}
    // The client areas, in pixels, each window must have at the screen's
    // dpi: the main window's, then the example window's.
    struct ClientAreas {
        int mainWidth, mainHeight, exampleWidth, exampleHeight;
    };
    ClientAreas ExpectedClientAreas() const {
        switch (dpi) {
            case 120:
                return {593, 195, 524, 450};
            case 144:
                return {711, 234, 629, 540};
            default:
                return {474, 156, 419, 360};
        }
    }

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
    EXPECT_EQ(WindowText(app.MainWindow()), "Morvane");
    RECT client;
    GetClientRect(app.MainWindow(), &client);
    const ClientAreas expected = ExpectedClientAreas();
    EXPECT_EQ(client.right, expected.mainWidth);
    EXPECT_EQ(client.bottom, expected.mainHeight);
    EXPECT_FALSE(GetWindowLongW(app.MainWindow(), GWL_STYLE) & WS_THICKFRAME);  // fixed size

    ExpectPlacedAsLaidOut(app.MainWindow(), MainWindowLayout());
    int tooltips = 0;
    for (const ControlSpec& entry : MainWindowLayout().controls) {
        HWND control = app.Window(entry.name);
        ASSERT_NE(control, nullptr) << testing::ControlName(entry.name);
        EXPECT_EQ(IsWindowVisible(control) != FALSE, !entry.hidden)
            << testing::ControlName(entry.name);
        EXPECT_EQ(WindowText(control), entry.text) << testing::ControlName(entry.name);
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
    EXPECT_EQ(outer.right - outer.left, expected.exampleWidth);
    EXPECT_EQ(outer.bottom - outer.top, expected.exampleHeight);
    ExpectPlacedAsLaidOut(exampleWindow, ExampleWindowLayout());
    if (dpi != 96) SaveScreenshot(exampleWindow, "windows-example-window" + suffix + ".png");
    PostMessageW(GetDlgItem(exampleWindow, win32::ControlId(ExampleCloseButton)), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(exampleWindow); }, 5000));
}

INSTANTIATE_TEST_SUITE_P(Dpi, PellorinAtDpiTest, ::testing::Values(96, 120, 144),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "dpi";
                         });

}  // namespace
}  // namespace morvane::wintest
