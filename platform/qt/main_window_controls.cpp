#include "platform/qt/main_window_controls.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>

#include "platform/qt/example_window.h"
#include "ui/window_text.h"

namespace morvane::qt {

MainWindowControls::MainWindowControls(MainWindow& window, FileDialogFunction fileDialog,
                                       std::function<void()> endProgram)
    : window_(window), fileDialog_(std::move(fileDialog)), endProgram_(std::move(endProgram)) {}

void MainWindowControls::ShowNotice(const std::string& prompt, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                    QString::fromStdString(prompt), QMessageBox::Ok, &window_);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

namespace {

// A paste can leave half of a surrogate pair in a box: it must reach the
// portable code as text that is refused, not as "?" (what toStdString makes
// of it).
std::string Utf8Of(const QString& text) { return WindowTextToUtf8(text.toStdU16String()); }

}  // namespace

std::string MainWindowControls::Text(Control control) const {
    QWidget* widget = window_.ControlHandle(control);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return Utf8Of(box->text());
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) return Utf8Of(box->toPlainText());
    if (auto* label = qobject_cast<QLabel*>(widget)) return Utf8Of(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return Utf8Of(button->text());
    return {};
}

void MainWindowControls::SetText(Control control, const std::string& text) {
    QWidget* widget = window_.ControlHandle(control);
    const QString value = QString::fromStdString(text);
    if (auto* box = qobject_cast<QLineEdit*>(widget))
        box->setText(value);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        box->setPlainText(value);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(value);
}

void MainWindowControls::SetEnabled(Control control, bool enabled) {
    if (QWidget* widget = window_.ControlHandle(control)) widget->setEnabled(enabled);
}

void MainWindowControls::SetVisible(Control control, bool visible) {
    if (QWidget* widget = window_.ControlHandle(control)) widget->setVisible(visible);
}

void MainWindowControls::SetFocus(Control control) {
    // A disabled or hidden control cannot take the focus; Qt then leaves the
    // focus where it is.
    if (QWidget* widget = window_.ControlHandle(control)) widget->setFocus(Qt::OtherFocusReason);
}

void MainWindowControls::SetMousePointer(MousePointer pointer) { window_.SetMousePointer(pointer); }

void MainWindowControls::SetCompletionTimerRunning(bool running) {
    window_.SetCompletionTimerRunning(running);
}

bool MainWindowControls::CompletionTimerRunning() const { return window_.CompletionTimerRunning(); }

std::optional<FileChoice> MainWindowControls::ShowFileDialog(FileDialogKind kind,
                                                             const std::string& filter,
                                                             int filterIndex) {
    return fileDialog_(window_, kind, filter, filterIndex);
}

void MainWindowControls::ShowExampleWindow() {
    // One example window at a time; it is made anew for every show.
    if (example_ != nullptr) return;
    ExampleWindow example(window_);
    example_ = &example;
    example.ShowModal();
    example_ = nullptr;
}

void MainWindowControls::EndProgram() { endProgram_(); }

}  // namespace morvane::qt
