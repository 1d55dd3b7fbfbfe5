#include "platform/qt/main_window.h"

#include <QAbstractButton>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "platform/qt/app_icon.h"
#include "platform/qt/typed_character_filter.h"

namespace morvane::qt {

MainWindow::MainWindow() {
    const FormSpec& form = MainWindowLayout();
    setWindowTitle(QString::fromUtf8(form.caption));
    setWindowIcon(AppIcon());
    // A fixed single border: no maximise button, no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    widgets_ = BuildControls(form, *this);
    // A file dropped on a box is the window's, not text for the box.
    for (QWidget* child : findChildren<QWidget*>()) child->setAcceptDrops(false);
    setAcceptDrops(true);
    completionTimer_.setInterval(kTimerIntervalMs);
    widgets_.at(Control::SourcePathBox)->setFocus();
    CentreOnScreen();
}

QWidget* MainWindow::Widget(Control name) const {
    const auto found = widgets_.find(name);
    return found == widgets_.end() ? nullptr : found->second;
}

void MainWindow::SetBusyPointer(bool busy) {
    if (busy) {
        if (!savedPointers_.empty()) return;
        savedPointers_.push_back({this, testAttribute(Qt::WA_SetCursor), cursor()});
        for (const auto& [name, widget] : widgets_)
            savedPointers_.push_back(
                {widget, widget->testAttribute(Qt::WA_SetCursor), widget->cursor()});
        for (const SavedPointer& saved : savedPointers_) saved.widget->setCursor(Qt::WaitCursor);
        return;
    }
    for (const SavedPointer& saved : savedPointers_) {
        if (saved.widget.isNull()) continue;
        if (saved.ownCursor)
            saved.widget->setCursor(saved.cursor);
        else
            saved.widget->unsetCursor();
    }
    savedPointers_.clear();
}

void MainWindow::CentreOnScreen() {
    const QScreen* screen =
        this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect area(QPoint(0, 0), frameGeometry().size());
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
}

void MainWindow::Connect(MainWindowHandlers& handlers) {
    const auto onClick = [this](Control name, auto handler) {
        auto* button = static_cast<QAbstractButton*>(widgets_.at(name));
        connect(button, &QAbstractButton::clicked, this, handler);
    };
    onClick(Control::ChooseSourceButton, [&handlers] { handlers.OnChooseSource(); });
    onClick(Control::ChooseOutputButton, [&handlers] { handlers.OnChooseOutput(); });
    onClick(Control::StartButton, [&handlers] { handlers.OnStart(); });
    onClick(Control::ExitButton, [&handlers] { handlers.OnExit(); });
    onClick(Control::ExampleButton, [&handlers] { handlers.OnShowExample(); });
    connect(&completionTimer_, &QTimer::timeout, this,
            [&handlers] { handlers.OnCompletionTimer(); });
    new TypedCharacterFilter(*widgets_.at(Control::FieldNumberBox),
                             [&handlers](int& keyAscii) { handlers.OnFieldNumberKey(keyAscii); });
    filesDropped_ = [&handlers](const std::vector<std::string>& paths) {
        handlers.OnFilesGiven(paths);
    };
}

bool MainWindow::TakesDrop(const QMimeData* data) const {
    if (completionTimer_.isActive() || data == nullptr || !data->hasUrls()) return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (TakesDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (TakesDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!TakesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    event->acceptProposedAction();
    // Taken once the drop has ended, so that a notice the gate may show does
    // not hold the file manager's drag open.
    QTimer::singleShot(0, this, [this, paths] {
        if (filesDropped_) filesDropped_(paths);
    });
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    auto* start = static_cast<QAbstractButton*>(widgets_.at(Control::StartButton));
    if (start->isEnabled() && start->isVisible()) start->click();
    event->accept();
}

}  // namespace morvane::qt
