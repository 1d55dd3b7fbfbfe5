// The main window on Qt: widgets built from MainWindowLayout(), with the
// completion timer, the hourglass pointer and the files dropped from a file
// manager. Its events go to the portable MainWindowHandlers.
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

    // Button clicks, timer ticks, the field box's typed characters and
    // dropped files go to `handlers`.
    void RouteEventsTo(MainWindowHandlers& handlers);

    // Shows the window centred on its screen's free area, with the focus in
    // the first box.
    void Show();

    // The widget of a control of MainWindowLayout().
    QWidget* ControlHandle(Control control) const { return form_.ControlHandle(control); }

    // The hourglass over the window and all its controls, or back to each
    // control's own pointer.
    void SetMousePointer(MousePointer pointer);

    // The completion timer: a tick every kCompletionTimerIntervalMs while it
    // runs.
    void SetCompletionTimerRunning(bool running);
    bool CompletionTimerRunning() const { return completionTimer_.isActive(); }

  protected:
    // The whole window is the drop target for local files; anything else
    // shows the "not allowed" pointer, as does the window whenever the
    // handlers take no files (while a run is going on).
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
    // Places the window in the middle of its screen's free area.
    void CentreOnScreen();

    BuiltForm form_;
    QTimer completionTimer_{this};
    MainWindowHandlers* handlers_ = nullptr;
    std::vector<SavedPointer> savedPointers_;
};

}  // namespace morvane::qt
