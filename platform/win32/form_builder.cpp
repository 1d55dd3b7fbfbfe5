#include "platform/win32/form_builder.h"

#include "platform/win32/windows_inc.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "platform/win32/control_ids.h"
#include "platform/win32/utf.h"
#include "ui/window_text.h"

namespace morvane::win32 {

namespace {

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

// The Win32 class and styles of a layout control; nothing for the frame,
// which its window paints.
std::optional<WindowKind> KindOf(const ControlSpec& entry) {
    switch (entry.kind) {
        case ControlKind::TextBox:
            return WindowKind{WC_EDITW, WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::MultiLineTextBox:
            return WindowKind{WC_EDITW, WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL,
                              WS_EX_CLIENTEDGE};
        case ControlKind::Button:
            return WindowKind{WC_BUTTONW,
                              static_cast<DWORD>(WS_TABSTOP | (entry.isDefault ? BS_DEFPUSHBUTTON
                                                                               : BS_PUSHBUTTON)),
                              0};
        case ControlKind::Label:
            return WindowKind{WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::Frame:
            return std::nullopt;
    }
    return std::nullopt;
}

bool SameFont(const FontSpec& a, const FontSpec& b) {
    const FontSpec first = ResolvedFont(a);
    const FontSpec second = ResolvedFont(b);
    return first.face == second.face && first.points == second.points;
}

COLORREF ToColorRef(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }

}  // namespace

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

namespace {

// The face of a layout font at a character height in pixels.
UniqueFont CreateFaceFont(const FontSpec& font, int pixelHeight) {
    const std::wstring face = Utf8ToWide(FaceName(ResolvedFont(font).face));
    return UniqueFont(CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

int PixelHeight(const FontSpec& font, int dpi) {
    return static_cast<int>(std::lround(ResolvedFont(font).points * dpi / 72.0));
}

// A push button's face loses this much on each side to its edges and focus
// frame.
constexpr int kButtonEdge = 3;

}  // namespace

UniqueFont CreateLayoutFont(const FontSpec& font, int dpi) {
    return CreateFaceFont(font, PixelHeight(font, dpi));
}

bool CaptionFits(HDC dc, HFONT font, const std::wstring& text, bool isLabel, int width,
                 int height) {
    const int edge = isLabel ? 0 : kButtonEdge;
    HGDIOBJ previous = SelectObject(dc, font);
    RECT needed{0, 0, width - 2 * edge, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_NOPREFIX | (isLabel ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    return needed.right <= width - 2 * edge && needed.bottom <= height - 2 * edge;
}

void BuiltForm::Build(HWND parent, const FormSpec& form, int dpi) {
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                                   instance, nullptr));
    if (tooltip_)
        SendMessageW(tooltip_.get(), WM_SETFONT,
                     reinterpret_cast<WPARAM>(FontFor(kDefaultFont, dpi)), FALSE);

    // Created in tab index order, which is the dialog manager's tab order.
    for (const ControlSpec* entry : InTabIndexOrder(form)) {
        const std::optional<WindowKind> kind = KindOf(*entry);
        if (!kind) continue;
        // Siblings clip each other: the labels reach under the boxes beside them.
        const DWORD style =
            WS_CHILD | WS_CLIPSIBLINGS | kind->style | (entry->hidden ? 0 : WS_VISIBLE);
        const std::wstring text = Utf8ToWide(entry->text);
        const ScreenArea area = PixelArea(*entry, dpi);
        HWND control =
            CreateWindowExW(kind->exStyle, kind->className, text.c_str(), style, area.left,
                            area.top, area.width, area.height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(entry->name))),
                            instance, nullptr);
        if (!control) continue;
        controls_.Add(entry->name, control);
        if (entry->kind == ControlKind::Label) {
            // Labels lie beneath every other control, as text drawn on the
            // window itself would.
            SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        HFONT font = FontFor(entry->font, dpi);
        const bool captioned =
            entry->kind == ControlKind::Label || entry->kind == ControlKind::Button;
        if (captioned && !text.empty()) font = FittingFont(*entry, text, font, dpi);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (entry->maxLength > 0) {
            SendMessageW(control, EM_LIMITTEXT, 2 * entry->maxLength, 0);
            lengths_[control] = entry->maxLength;
        }
        if (entry->color != kBlack) colours_[control] = ToColorRef(entry->color);
        if (entry->tooltip[0] != '\0') AddTooltip(parent, control, entry->tooltip);
    }
}

void BuiltForm::KeepWithinLength(HWND box) const {
    const auto limit = lengths_.find(box);
    if (limit == lengths_.end()) return;
    std::wstring units(static_cast<std::size_t>(std::max(GetWindowTextLengthW(box), 0)) + 1, L'\0');
    const int got = GetWindowTextW(box, units.data(), static_cast<int>(units.size()));
    units.resize(static_cast<std::size_t>(std::max(got, 0)));
    const std::size_t kept = UnitsOfFirstCharacters(std::u16string(units.begin(), units.end()),
                                                    static_cast<std::size_t>(limit->second));
    if (kept == units.size()) return;
    units.resize(kept);
    SetWindowTextW(box, units.c_str());
    SendMessageW(box, EM_SETSEL, kept, kept);  // the caret after what is kept
}

HFONT BuiltForm::FontFor(const FontSpec& wanted, int dpi) {
    for (const auto& [known, font] : fontsBySpec_) {
        if (SameFont(known, wanted)) return font;
    }
    fonts_.push_back(CreateLayoutFont(wanted, dpi));
    fontsBySpec_.emplace_back(wanted, fonts_.back().get());
    return fonts_.back().get();
}

void BuiltForm::AddTooltip(HWND parent, HWND control, const char* tooltip) {
    if (!tooltip_) return;
    std::wstring tip = Utf8ToWide(tooltip);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = parent;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = tip.data();
    SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

HFONT BuiltForm::FittingFont(const ControlSpec& entry, const std::wstring& text, HFONT font,
                             int dpi) {
    // Font heights do not scale exactly with the layout: a face rounds its
    // glyph widths (the Arphic faces to even pixels), so a caption that fits
    // at 96 dpi can wrap out of sight at 120. Such a control gets the largest
    // smaller size of its face, down to three quarters, that shows it whole.
    const bool isLabel = entry.kind == ControlKind::Label;
    const int width = TwipsToPixels(entry.width, dpi);
    const int height = TwipsToPixels(entry.height, dpi);
    HDC screen = GetDC(nullptr);
    if (!screen) return font;
    const int nominal = PixelHeight(entry.font, dpi);
    if (!CaptionFits(screen, font, text, isLabel, width, height)) {
        for (int smaller = nominal - 1; smaller * 4 >= nominal * 3; --smaller) {
            UniqueFont candidate = CreateFaceFont(entry.font, smaller);
            if (candidate && CaptionFits(screen, candidate.get(), text, isLabel, width, height)) {
                font = candidate.get();
                fonts_.push_back(std::move(candidate));
                break;
            }
        }
    }
    ReleaseDC(nullptr, screen);
    return font;
}

std::optional<Control> BuiltForm::ControlFromId(int id) const {
    for (const auto& [name, window] : controls_) {
        if (ControlId(name) == id) return name;
    }
    return std::nullopt;
}

HBRUSH BuiltForm::PaintStaticText(HDC dc, HWND control) const {
    const auto colour = colours_.find(control);
    if (colour == colours_.end()) return nullptr;
    SetTextColor(dc, colour->second);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

LRESULT DefaultButtonReply(const FormSpec& form) {
    const std::optional<Control> button = DefaultButton(form);
    return button ? MAKELRESULT(ControlId(*button), DC_HASDEFID) : 0;
}

}  // namespace morvane::win32
