// Both windows' layouts built into real controls at 96, 120 and 144 dpi:
// every caption shows whole in the font its control was given.
#include <gtest/gtest.h>

#include "platform/win32/windows_inc.h"

#include <string>

#include "platform/win32/form_builder.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/utf.h"
#include "ui/layout.h"

namespace morvane {
namespace {

// Drawn in the control's own font as a static control or a push button
// draws it (a label wraps at word breaks; a button keeps one line inside
// its edges and focus frame), the caption fits the control.
void ExpectCaptionShowsWhole(HWND control, const ControlSpec& entry, int dpi) {
    LOGFONTW description{};
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
    ASSERT_EQ(GetObjectW(font, sizeof description, &description),
              static_cast<int>(sizeof description))
        << entry.text;
    win32::UniqueFont same(CreateFontIndirectW(&description));
    const bool label = entry.kind == ControlKind::Label;
    const int edge = label ? 0 : 3;
    RECT client;
    GetClientRect(control, &client);
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, same.get());
    const std::wstring text = win32::Utf8ToWide(entry.text);
    RECT needed{0, 0, client.right - 2 * edge, 0};
    DrawTextW(screen, text.c_str(), -1, &needed,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (label ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    EXPECT_LE(needed.right, client.right - 2 * edge) << entry.text << " at " << dpi << " dpi";
    EXPECT_LE(needed.bottom, client.bottom - 2 * edge) << entry.text << " at " << dpi << " dpi";
    // Never shrunk by more than a quarter of the layout's size.
    const double points = ResolvedFont(entry.font).points;
    EXPECT_GE(-description.lfHeight * 4, static_cast<int>(points * dpi / 72) * 3) << entry.text;
}

TEST(BuiltForm, EveryCaptionShowsWholeAtEachDpi) {
    for (int dpi : {96, 120, 144}) {
        for (const FormSpec* layout : {&MainWindowLayout(), &ExampleWindowLayout()}) {
            win32::UniqueWindow parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600,
                                                       nullptr, nullptr, nullptr, nullptr));
            ASSERT_NE(parent, nullptr);
            win32::BuiltForm form;
            form.Build(parent.get(), *layout, dpi);
            for (const ControlSpec& entry : layout->controls) {
                const bool captioned =
                    entry.kind == ControlKind::Label || entry.kind == ControlKind::Button;
                if (!captioned || entry.text[0] == '\0') continue;
                HWND control = form.ControlHandle(entry.name);
                ASSERT_NE(control, nullptr) << entry.text;
                ExpectCaptionShowsWhole(control, entry, dpi);
            }
        }
    }
}

}  // namespace
}  // namespace morvane
