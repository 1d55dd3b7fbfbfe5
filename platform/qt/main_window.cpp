#include "platform/qt/main_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "platform/qt/typed_character_filter.h"

namespace morvane::qt {

namespace {

// The name of a dropped local file as the system spells it. A URL carries
// the name's bytes percent-escaped; toLocalFile() turns bytes that are not
// UTF-8 into U+FFFD, the name of another file, so those go on as they are,
// for the handlers to refuse.
std::string LocalFileName(const QUrl& url) {
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return bytes.isValidUtf8() ? url.toLocalFile().toStdString() : bytes.toStdString();
}

}  // namespace

QIcon AppIcon() {
    QIcon icon;
    const QDir folder(QStringLiteral(":/icons"));
    for (const QString& name : folder.entryList({QStringLiteral("pellorin-*.png")}, QDir::Files))
        icon.addFile(folder.filePath(name));
    return icon;
}

MainWindow::MainWindow() {
    const FormSpec& form = MainWindowLayout();
    setWindowTitle(QString::fromUtf8(form.caption));
    setWindowIcon(AppIcon());
    // A fixed single border: no maximise button, no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    form_.Build(*this, form);
    EnterPressesDefaultButton(form, *this, form_);
    // A file dropped on a box is the window's, not text for the box.
    for (QWidget* child : findChildren<QWidget*>()) child->setAcceptDrops(false);
    setAcceptDrops(true);
    completionTimer_.setInterval(kCompletionTimerIntervalMs);
    if (const std::optional<Control> first = FirstFocus(form)) ControlHandle(*first)->setFocus();
    CentreOnScreen();
}

void MainWindow::Show() {
    show();
    // Once shown, the frame around the window is known: centre it as a whole.
    CentreOnScreen();
}

void MainWindow::SetMousePointer(MousePointer pointer) {
    if (pointer == MousePointer::Hourglass) {
        if (!savedPointers_.empty()) return;
        savedPointers_.push_back({this, testAttribute(Qt::WA_SetCursor), cursor()});
        for (const auto& [name, widget] : form_)
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
    const QRect free = screen->availableGeometry();
    const ScreenPoint corner = CentredOn({free.x(), free.y(), free.width(), free.height()},
                                         frameGeometry().width(), frameGeometry().height());
    move(corner.x, corner.y);
}

void MainWindow::SetCompletionTimerRunning(bool running) {
    if (running)
        completionTimer_.start();
    else
        completionTimer_.stop();
}

void MainWindow::RouteEventsTo(MainWindowHandlers& handlers) {
    handlers_ = &handlers;
    for (const ControlSpec& entry : MainWindowLayout().controls) {
        if (entry.kind != ControlKind::Button) continue;
        auto* button = qobject_cast<QAbstractButton*>(ControlHandle(entry.name));
        connect(button, &QAbstractButton::clicked, this,
                [&handlers, name = entry.name] { handlers.OnClicked(name); });
    }
    connect(&completionTimer_, &QTimer::timeout, this,
            [&handlers] { handlers.OnCompletionTimer(); });
    new TypedCharacterFilter(
        *ControlHandle(Control::FieldNumberBox),
        [&handlers](int& characterCode) { handlers.OnFieldNumberKey(characterCode); });
}

bool MainWindow::TakesDrop(const QMimeData* data) const {
    if (handlers_ == nullptr || !handlers_->TakesFilesNow() || data == nullptr || !data->hasUrls())
        return false;
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
        if (url.isLocalFile()) paths.push_back(LocalFileName(url));
    // The file manager learns whether a file was taken; a refusal's notice
    // follows.
    if (handlers_ != nullptr && handlers_->WouldTakeFiles(paths))
        event->acceptProposedAction();
    else
        event->ignore();
    // Taken once the drop has ended, so that a notice the gate or a refusal
    // shows does not hold the file manager's drag open.
    QTimer::singleShot(0, this, [this, paths] {
        if (handlers_ != nullptr) handlers_->OnFilesGiven(paths);
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (completionTimer_.isActive())
        event->ignore();
    else
        event->accept();
}

}  // namespace morvane::qt
