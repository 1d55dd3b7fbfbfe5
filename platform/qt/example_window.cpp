#include "platform/qt/example_window.h"

#include <QPushButton>

namespace morvane::qt {

ExampleWindow::ExampleWindow(QWidget& owner)
    : QDialog(&owner, Qt::Dialog | Qt::FramelessWindowHint) {
    const FormSpec& form = ExampleWindowLayout();
    setWindowTitle(QString::fromUtf8(form.caption));
    form_.Build(*this, form);
    EnterPressesDefaultButton(form, *this, form_);

    auto* close = qobject_cast<QPushButton*>(ControlHandle(Control::ExampleCloseButton));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    if (const std::optional<Control> first = FirstFocus(form)) ControlHandle(*first)->setFocus();
    PlaceOver(owner);
}

void ExampleWindow::ShowModal() { exec(); }

void ExampleWindow::PlaceOver(const QWidget& owner) {
    const QRect over = owner.frameGeometry();
    const ScreenPoint corner =
        CentredOn({over.x(), over.y(), over.width(), over.height()}, width(), height());
    move(corner.x, corner.y);
}

void ExampleWindow::reject() {}

}  // namespace morvane::qt
