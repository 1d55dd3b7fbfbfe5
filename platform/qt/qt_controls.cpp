#include "platform/qt/qt_controls.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <cstdio>
#include <cstdlib>

#include "platform/qt/example_window.h"

namespace morvane::qt {

void EndProcessAtOnce() {
    std::fflush(nullptr);
    std::_Exit(0);
}

QtControls::QtControls(MainWindow& window, FileDialogFunction fileDialog,
                       std::function<void()> endProgram)
    : window_(window), fileDialog_(std::move(fileDialog)), endProgram_(std::move(endProgram)) {}

QWidget* QtControls::Widget(Control control) const { return window_.Widget(control); }

void QtControls::ShowNotice(const std::string& prompt, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                    QString::fromStdString(prompt), QMessageBox::Ok, &window_);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

std::string QtControls::Text(Control control) const {
    QWidget* widget = Widget(control);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text().toStdString();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) return box->toPlainText().toStdString();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    return {};
}

void QtControls::SetText(Control control, const std::string& text) {
    QWidget* widget = Widget(control);
    const QString value = QString::fromStdString(text);
    if (auto* box = qobject_cast<QLineEdit*>(widget))
        box->setText(value);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        box->setPlainText(value);
    else
        SetCaption(control, text);
}

void QtControls::SetCaption(Control control, const std::string& caption) {
    QWidget* widget = Widget(control);
    const QString value = QString::fromStdString(caption);
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(value);
}

void QtControls::SetEnabled(Control control, bool enabled) {
    if (QWidget* widget = Widget(control)) widget->setEnabled(enabled);
}

void QtControls::SetVisible(Control control, bool visible) {
    if (QWidget* widget = Widget(control)) widget->setVisible(visible);
}

void QtControls::SetFocus(Control control) {
    // A disabled or hidden control cannot take the focus; Qt then leaves the
    // focus where it is.
    if (QWidget* widget = Widget(control)) widget->setFocus(Qt::OtherFocusReason);
}

void QtControls::SetMousePointer(MousePointer pointer) {
    window_.SetBusyPointer(pointer == MousePointer::Hourglass);
}

void QtControls::SetTimerEnabled(bool enabled) {
    if (enabled)
        window_.CompletionTimer().start();
    else
        window_.CompletionTimer().stop();
}

bool QtControls::TimerEnabled() const { return window_.CompletionTimer().isActive(); }

std::optional<FileChoice> QtControls::ShowFileDialog(FileDialogKind kind, const std::string& filter,
                                                     int filterIndex) {
    return fileDialog_(window_, kind, filter, filterIndex);
}

void QtControls::ShowExampleWindow() {
    // One example window at a time; it is made anew for every show.
    if (example_ != nullptr) return;
    ExampleWindow example(window_);
    example_ = &example;
    example.exec();
    example_ = nullptr;
}

void QtControls::EndProgram() { endProgram_(); }

}  // namespace morvane::qt
