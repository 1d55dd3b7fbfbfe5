// The main window, Form1, as Qt widgets built from Form1Layout(), with its
// completion timer. Events are routed to the Form1 handlers by Connect().
#pragma once

#include <QCursor>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/form_builder.h"
#include "ui/form1.h"

namespace morvane::qt {

class Form1Window : public QWidget {
    Q_OBJECT

  public:
    Form1Window();

    // The widget of a control of Form1Layout(); nullptr for the timer and
    // the file-dialog control.
    QWidget* Widget(Control name) const;

    QTimer& Timer1() { return timer1_; }

    // The hourglass over the window and all its controls, or back to each
    // control's own pointer.
    void SetBusyPointer(bool busy);

    // Places the window in the middle of its screen's free area.
    void CentreOnScreen();

    // Clicks, timer ticks, the field box's typed characters and dropped
    // files go to `form`.
    void Connect(Form1& form);

  protected:
    // The whole window is the drop target for local files; anything else
    // shows the "not allowed" pointer, as does the window while a run is
    // going on (its boxes are disabled then).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Enter in a box (which does not take it itself) presses Start, the
    // default button.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct SavedPointer {
        QPointer<QWidget> widget;
        bool ownCursor;
        QCursor cursor;
    };

    // Whether a drag offers something this window takes.
    bool TakesDrop(const QMimeData* data) const;

    ControlWidgets widgets_;
    QTimer timer1_;
    std::function<void(const std::vector<std::string>&)> filesDropped_;
    std::vector<SavedPointer> savedPointers_;
};

}  // namespace morvane::qt
