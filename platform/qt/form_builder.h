// Turns a window layout (ui/layout.h) into Qt widgets.
#pragma once

#include <QRect>
#include <QWidget>
#include <map>

#include "ui/layout.h"

namespace morvane::qt {

// Twips to pixels at 15 twips per pixel (96 dots per inch).
int ToPixels(int twips);
QRect PixelRect(const ControlSpec& entry);

// The widgets of one window by control name. Timers and the file-dialog
// control have no widget.
using ControlWidgets = std::map<Control, QWidget*>;

// Builds every visible-kind control of `form` as a child of `window`: text
// boxes as QLineEdit (multi-line ones as QPlainTextEdit), buttons as
// QPushButton, labels as QLabel, the shape as a framed QFrame. Applies
// position, size, text, font, colour, tooltip, maximum length and the hidden
// flag, gives `window` the fixed client size of the form and chains the
// focus in the form's tab order.
ControlWidgets BuildControls(const FormSpec& form, QWidget& window);

}  // namespace morvane::qt
