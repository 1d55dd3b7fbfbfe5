// The example window: a worked example built from ExampleWindowLayout(),
// frameless, shown modally over the main window and closed only by its
// button "我知道了" (or Enter).
#pragma once

#include <QDialog>

#include "platform/qt/form_builder.h"

namespace morvane::qt {

class ExampleWindow : public QDialog {
    Q_OBJECT

  public:
    explicit ExampleWindow(QWidget& owner);

    // Runs the window modally, centred on the owner, until it is closed.
    void ShowModal();

    QWidget* ControlHandle(Control control) const { return form_.ControlHandle(control); }

    // Escape and close requests do nothing: the button is the only way out.
    void reject() override;

  private:
    // Centres the window over `owner`.
    void PlaceOver(const QWidget& owner);

    BuiltForm form_;
};

}  // namespace morvane::qt
