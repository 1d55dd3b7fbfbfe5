// The two windows' layouts as data, shared by the Qt and Win32 front ends.
// Positions and sizes are in twips (1/1440 inch; 15 twips per pixel at 96
// dots per inch), relative to the client area.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/runtime.h"

namespace morvane {

// A frame is a line drawn along its rectangle, under every other control;
// it takes no input.
enum class ControlKind { TextBox, MultiLineTextBox, Button, Label, Frame };

// A font the layout names. Controls without one use the window's default.
enum class FontFace { Default, SimSun, KaiTi };

struct FontSpec {
    FontFace face = FontFace::Default;
    double points = 0;  // 0 with FontFace::Default
};

inline constexpr const char* kSimSunFace = "宋体";
inline constexpr const char* kKaiTiFace = "楷体_GB2312";

// The font of every control that names none (text boxes, most buttons):
// "宋体" at 9 points, what a Simplified Chinese Windows gives dialog text.
inline constexpr FontSpec kDefaultFont{FontFace::SimSun, 9};

// The font a control is drawn in: its own, or kDefaultFont.
FontSpec ResolvedFont(const FontSpec& font);

// The face name of a resolved font: kSimSunFace or kKaiTiFace.
const char* FaceName(FontFace face);

// A text colour by its red, green and blue intensities.
struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Colour&) const = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kRed{255, 0, 0};

// One control of a window's layout. The tables name each field they set
// (designated initialisers); a field left out keeps the default below.
struct ControlSpec {
    Control name;
    ControlKind kind;
    const char* text;              // caption or initial text; "" for none
    int left, top, width, height;  // twips
    int tabIndex;                  // -1 for controls that have none
    FontSpec font{};               // kDefaultFont unless set
    Colour color = kBlack;         // text colour
    int maxLength = 0;             // characters (a surrogate pair is one); 0: no limit
    const char* tooltip = "";
    bool hidden = false;
    bool isDefault = false;  // the default button: Enter activates it
};

struct FormSpec {
    const char* caption;
    int clientWidth, clientHeight;          // twips
    std::span<const ControlSpec> controls;  // in the window's stored order
};

const FormSpec& MainWindowLayout();
const FormSpec& ExampleWindowLayout();

// The entry of `name` in `form`; nullptr when the form has no such control.
const ControlSpec* FindControl(const FormSpec& form, Control name);

// The button Enter presses in `form`, wherever the focus is (except on
// another button): the form's default button. Nothing when it has none.
std::optional<Control> DefaultButton(const FormSpec& form);

// Every control of `form` by its tab index, those without one last: the
// order the controls are made in, which is Windows' tab order.
std::vector<const ControlSpec*> InTabIndexOrder(const FormSpec& form);

// Controls that take the focus (text boxes and buttons, not hidden), in tab
// order.
std::vector<Control> TabOrder(const FormSpec& form);

// The control that has the focus when the window opens: the first in tab
// order.
std::optional<Control> FirstFocus(const FormSpec& form);

// A rectangle on the screen or in a window, in pixels.
struct ScreenArea {
    int left, top, width, height;
};

// The dots per inch a layout is drawn at when the screen's are not asked
// (Qt scales for the screen itself): 15 twips a pixel.
inline constexpr int kStandardDpi = 96;

// Twips to pixels at `dpi`, to the nearest pixel (1440 twips an inch).
int TwipsToPixels(int twips, int dpi);

// Where a control of a layout goes in its window's client area at `dpi`.
ScreenArea PixelArea(const ControlSpec& entry, int dpi);

// The top-left corner of a window `width` by `height` pixels centred on
// `area` (the screen's free area, or the window it belongs to).
struct ScreenPoint {
    int x, y;
};
ScreenPoint CentredOn(const ScreenArea& area, int width, int height);

}  // namespace morvane
