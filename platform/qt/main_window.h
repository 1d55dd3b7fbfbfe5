// The main window as Qt widgets built from MainWindowLayout(), with its
// completion timer. Events are routed to the portable MainWindowHandlers by
// Connect().
#pragma once

#include <QCursor>
#include <QIcon>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "platform/qt/form_builder.h"
#include "ui/main_window_handlers.h"

namespace morvane::qt {

// The program's icon, compiled in from resources/icon/pellorin-<size>.png:
// every size there was, or an empty icon when there were none.
QIcon AppIcon();

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    MainWindow();

    // The widget of a control of MainWindowLayout(); nullptr for the timer and
    // the file-dialog control.
    QWidget* Widget(Control name) const { return widgets_.Find(name); }

    QTimer& CompletionTimer() { return completionTimer_; }

    // The hourglass over the window and all its controls, or back to each
    // control's own pointer.
    void SetBusyPointer(bool busy);

    // Places the window in the middle of its screen's free area.
    void CentreOnScreen();

    // Button clicks, timer ticks, the field box's typed characters and
    // dropped files go to `handlers`.
    void Connect(MainWindowHandlers& handlers);

  protected:
    // The whole window is the drop target for local files; anything else
    // shows the "not allowed" pointer, as does the window while a run is
    // going on (its boxes are disabled then).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // While a run goes on the window stays, as Exit is disabled then,
    // however it is asked to close (close box, Alt+F4, the window manager):
    // the run ends first and its verdict is shown.
    void closeEvent(QCloseEvent* event) override;

  private:
    struct SavedPointer {
        QPointer<QWidget> widget;
        bool ownCursor;
        QCursor cursor;
    };

    // Whether a drag offers something this window takes.
    bool TakesDrop(const QMimeData* data) const;

    ControlTable<QWidget*> widgets_;
    QTimer completionTimer_;
    MainWindowHandlers* handlers_ = nullptr;
    std::vector<SavedPointer> savedPointers_;
};

}  // namespace morvane::qt
