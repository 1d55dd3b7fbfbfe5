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

// The controls of one window, built from its layout and kept by name.
class BuiltForm {
  public:
    BuiltForm() = default;
    BuiltForm(const BuiltForm&) = delete;
    BuiltForm& operator=(const BuiltForm&) = delete;

    // Builds every control of `form` as a child of `window`: text boxes as
    // QLineEdit (multi-line ones as QPlainTextEdit), buttons as QPushButton,
    // labels as QLabel, the frame as a framed QFrame under the rest. Applies
    // position, size, text, font, colour, tooltip, maximum length and the
    // hidden flag, gives `window` the fixed client size and default font of
    // the form and chains the focus in the form's tab order.
    void Build(QWidget& window, const FormSpec& form);

    // The widget of a control of the form; null for one it does not have.
    QWidget* ControlHandle(Control control) const { return controls_.Find(control); }

    // Every control with its widget, in the order of the Control enum.
    auto begin() const { return controls_.begin(); }
    auto end() const { return controls_.end(); }

  private:
    ControlTable<QWidget*> controls_;
};

// Enter anywhere in `window` presses the form's default button when that is
// enabled and visible, as on Windows: in a single-line box (which leaves
// Enter to its window) and in a multi-line box, where it would otherwise
// break the line (Ctrl+Enter still does). A focused button takes Enter
// itself. Does nothing for a form without a default button.
void EnterPressesDefaultButton(const FormSpec& form, QWidget& window, const BuiltForm& controls);

}  // namespace morvane::qt
