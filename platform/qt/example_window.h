// The example window: a worked example built from ExampleWindowLayout(),
// frameless, closed only by its button "我知道了" (or Enter).
#pragma once

#include <QDialog>

#include "platform/qt/form_builder.h"

namespace morvane::qt {

class ExampleWindow : public QDialog {
    Q_OBJECT

  public:
    explicit ExampleWindow(QWidget& owner);

    QWidget* Widget(Control name) const { return widgets_.Find(name); }

    // Centres the window over `owner`.
    void PlaceOver(const QWidget& owner);

    // Escape and close requests do nothing: the button is the only way out.
    void reject() override;

  private:
    ControlTable<QWidget*> widgets_;
};

}  // namespace morvane::qt
