// Turns a window layout (ui/layout.h) into Win32 controls: EDIT, BUTTON and
// STATIC children at the layout's positions converted from twips to pixels
// at the screen's dpi, with their fonts (a size smaller where the layout's
// would clip a caption), maximum lengths, tooltips, default button and tab
// order.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win32/gdi.h"
#include "ui/layout.h"

namespace morvane::win32 {

// The dots per inch of the screen.
int ScreenDpi();

// Twips to pixels: 15 twips per pixel at 96 dpi.
int TwipsToPixels(int twips, int dpi);

// A font the layout names, at `dpi`: SimSun "宋体" and KaiTi "楷体_GB2312"
// with the GB2312 character set. The default face is "宋体" 9 pt, the face
// Chinese Windows gives dialogs and forms.
UniqueFont CreateLayoutFont(const FontSpec& font, int dpi);

// Whether `text` shows whole in a label (wrapped at word breaks) or a button
// (one line, inside its edges) of `width` by `height` pixels in `font`.
bool CaptionFits(HDC dc, HFONT font, const std::wstring& text, bool isLabel, int width, int height);

// The controls of one window, created and owned together.
class BuiltForm {
  public:
    BuiltForm() = default;
    BuiltForm(const BuiltForm&) = delete;
    BuiltForm& operator=(const BuiltForm&) = delete;

    // Creates every control of `form` as a child of `parent`, in tab order
    // (so that the dialog manager's Tab and Shift+Tab follow the tab
    // indexes), and a tooltip window for the controls that have a tooltip.
    void Build(HWND parent, const FormSpec& form, int dpi);

    HWND Handle(Control control) const;
    // The text colour of a control whose colour is not black; nothing else.
    bool TextColour(HWND control, COLORREF& colour) const;
    // The first control that takes the focus, in tab order.
    HWND FirstTabStop() const;

  private:
    // `font`, or a smaller size of its face where `font` would clip the
    // control's caption.
    HFONT FittingFont(const ControlSpec& entry, const std::wstring& text, HFONT font, int dpi);

    std::map<Control, HWND> controls_;
    std::map<HWND, COLORREF> colours_;
    std::vector<UniqueFont> fonts_;
    UniqueWindow tooltip_;
    HWND firstTabStop_ = nullptr;
};

}  // namespace morvane::win32
