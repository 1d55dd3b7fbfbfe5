// Turns a window layout (ui/layout.h) into Win32 controls: EDIT, BUTTON and
// STATIC children at the layout's positions converted from twips to pixels
// at the screen's dpi, with their fonts (a size smaller where the layout's
// would clip a caption), maximum lengths, tooltips, default button and tab
// order.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "ui/control_table.h"
#include "ui/layout.h"

namespace morvane::win32 {

// The dots per inch of the screen.
int ScreenDpi();

// A font the layout names (or the default font, ui/layout.h), at `dpi`,
// with the GB2312 character set.
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

    // The window of a control of the form; null for one it does not have.
    HWND ControlHandle(Control control) const { return controls_.Find(control); }
    // The control of the form that has the command id `id`, if any.
    std::optional<Control> ControlFromId(int id) const;

    // WM_CTLCOLORSTATIC: a label whose text is not black gets its colour on
    // `dc` over the dialog background, whose brush is answered; null for
    // every other control (the window's default handling then).
    HBRUSH PaintStaticText(HDC dc, HWND control) const;

    // EN_CHANGE of an edit box: cuts what the edit (typing, a paste,
    // WM_SETTEXT) brought past the box's layout length in characters, a
    // surrogate pair being one. The box's own limit counts UTF-16 units and
    // is twice that, so a pasted "x𠀀" leaves "x", never "x" and half of "𠀀".
    void KeepWithinLength(HWND box) const;

  private:
    // The font of `wanted` at `dpi`: one font object per face and size.
    HFONT FontFor(const FontSpec& wanted, int dpi);
    // `font`, or a smaller size of its face where `font` would clip the
    // control's caption.
    HFONT FittingFont(const ControlSpec& entry, const std::wstring& text, HFONT font, int dpi);
    // Shows `tooltip` while the pointer rests on `control`.
    void AddTooltip(HWND parent, HWND control, const char* tooltip);

    ControlTable<HWND> controls_;
    std::map<HWND, COLORREF> colours_;
    std::map<HWND, int> lengths_;  // characters, for the boxes that have a limit
    std::vector<UniqueFont> fonts_;
    std::vector<std::pair<FontSpec, HFONT>> fontsBySpec_;
    UniqueWindow tooltip_;
};

// The answer to DM_GETDEFID in a window built from `form`: the id of its
// default button, which the dialog manager presses on Enter.
LRESULT DefaultButtonReply(const FormSpec& form);

}  // namespace morvane::win32
