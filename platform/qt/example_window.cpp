#include "platform/qt/example_window.h"

#include <QPushButton>

namespace morvane::qt {

ExampleWindow::ExampleWindow(QWidget& owner)
    : QDialog(&owner, Qt::Dialog | Qt::FramelessWindowHint) {
    const FormSpec& form = ExampleWindowLayout();
    setWindowTitle(QString::fromUtf8(form.caption));
    widgets_ = BuildControls(form, *this);
    EnterPressesDefaultButton(form, *this, widgets_);

    auto* close = qobject_cast<QPushButton*>(Widget(Control::ExampleCloseButton));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    const auto order = TabOrder(form);
    if (!order.empty()) Widget(order.front())->setFocus();
    PlaceOver(owner);
}

void ExampleWindow::PlaceOver(const QWidget& owner) {
    const QRect over = owner.frameGeometry();
    const ScreenPoint corner =
        CentredOn({over.x(), over.y(), over.width(), over.height()}, width(), height());
    move(corner.x, corner.y);
}

void ExampleWindow::reject() {}

}  // namespace morvane::qt
