// Turns a window layout (ui/layout.h) into Qt widgets: the controls, their
// fonts, and the default button Enter presses.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

#include "ui/control_table.h"
#include "ui/layout.h"

namespace morvane::qt {

// Maps the Windows faces "宋体" and "楷体_GB2312" to AR PL UMing and AR PL
// UKai, a Song and a Kai face that Debian ships. Call once, before any window
// is built.
void InstallFontSubstitutions();

// The Qt font of a layout font; one that names none is kDefaultFont.
QFont FontFor(const FontSpec& font);

// Twips to pixels at 15 twips per pixel (96 dots per inch).
int ToPixels(int twips);
QRect PixelRect(const ControlSpec& entry);

// Builds every visible-kind control of `form` as a child of `window`: text
// boxes as QLineEdit (multi-line ones as QPlainTextEdit), buttons as
// QPushButton, labels as QLabel, the shape as a framed QFrame. Applies
// position, size, text, font, colour, tooltip, maximum length and the hidden
// flag, gives `window` the fixed client size and default font of the form
// and chains the focus in the form's tab order. Timers and the file-dialog
// control have no widget.
ControlTable<QWidget*> BuildControls(const FormSpec& form, QWidget& window);

// Enter anywhere in `window` presses the form's default button when that is
// enabled and visible, as on Windows: in a single-line box (which leaves
// Enter to its window) and in a multi-line box, where it would otherwise
// break the line (Ctrl+Enter still does). A focused button takes Enter
// itself. Does nothing for a form without a default button.
void EnterPressesDefaultButton(const FormSpec& form, QWidget& window,
                               const ControlTable<QWidget*>& widgets);

}  // namespace morvane::qt
