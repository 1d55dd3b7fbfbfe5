#include "platform/qt/example_window.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace morvane::qt {

namespace {

// Enter in a multi-line box presses the default button instead of starting a
// new line, as in the Windows window (Ctrl+Enter still breaks the line).
class EnterPressesButton : public QObject {
  public:
    EnterPressesButton(QObject& box, QAbstractButton& button) : QObject(&box), button_(button) {
        box.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
        if (!enter || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        button_.click();
        return true;
    }

  private:
    QAbstractButton& button_;
};

}  // namespace

ExampleWindow::ExampleWindow(QWidget& owner)
    : QDialog(&owner, Qt::Dialog | Qt::FramelessWindowHint) {
    const FormSpec& form = ExampleWindowLayout();
    setWindowTitle(QString::fromUtf8(form.caption));
    widgets_ = BuildControls(form, *this);

    auto* close = static_cast<QPushButton*>(widgets_.at(Control::ExampleCloseButton));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    for (const auto& [name, widget] : widgets_) {
        if (qobject_cast<QPlainTextEdit*>(widget) != nullptr)
            new EnterPressesButton(*widget, *close);
    }
    const auto order = TabOrder(form);
    if (!order.empty()) widgets_.at(order.front())->setFocus();
    PlaceOver(owner);
}

QWidget* ExampleWindow::Widget(Control name) const {
    const auto found = widgets_.find(name);
    return found == widgets_.end() ? nullptr : found->second;
}

void ExampleWindow::PlaceOver(const QWidget& owner) {
    QRect area(QPoint(0, 0), size());
    area.moveCenter(owner.frameGeometry().center());
    move(area.topLeft());
}

void ExampleWindow::reject() {}

}  // namespace morvane::qt
