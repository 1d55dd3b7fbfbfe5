// Driving the real windows from a test: answering notices and other modal
// windows from inside their event loops, waiting, and screenshots.
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/pellorin_program.h"
#include "tests/support/window_probe.h"

class QWidget;

namespace morvane::testing {

struct NoticeSeen {
    QString title;
    QString text;
    QStringList buttons;
    bool applicationModal = false;
};

// While it lives, answers every modal window that opens: a notice (a
// QMessageBox) is recorded, `whileNoticeOpen` runs, and OK is pressed; any
// other modal window is handed to `onOtherModal`.
class ModalAnswerer {
  public:
    ModalAnswerer();

    std::vector<NoticeSeen> notices;
    std::function<void(const NoticeSeen&)> whileNoticeOpen;
    std::function<void(QWidget& modal)> onOtherModal;

  private:
    void Poll();

    QTimer poll_;
    QWidget* busyWith_ = nullptr;
};

// Types `text` into `widget`: ASCII as key clicks, everything else as text
// committed by an input method, the way Chinese text arrives.
void Type(QWidget& widget, const QString& text);

// Processes events until `done` answers true or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// What a widget shows: a box's text, a label's or a button's caption.
std::string ShownText(const QWidget* widget);

// The main window's widgets as the shared checks see them.
class MainWindowProbe : public ControlsProbe {
  public:
    explicit MainWindowProbe(qt::MainWindow& window) : window_(window) {}
    std::string Text(Control control) const override {
        return ShownText(window_.ControlHandle(control));
    }
    bool Enabled(Control control) const override {
        return window_.ControlHandle(control)->isEnabled();
    }
    bool Visible(Control control) const override {
        return window_.ControlHandle(control)->isVisible();
    }
    // The control that has the focus in the window (or would have, once
    // the window is active again).
    std::optional<Control> Focus() const override;
    PointerSeen PointerOver(Control control) const override;

  private:
    qt::MainWindow& window_;
};

// A program built beside the tests (pellorin, instance_probe, cmd.exe).
QString BinPath(const char* name);

// Where the tests leave their screenshots.
std::string ScreenshotPath(const std::string& name);
void SaveScreenshot(QWidget& window, const std::string& name);

// Dialog answers given through the file-dialog seam, and what was asked.
struct DialogScript {
    struct Call {
        FileDialogKind kind;
        std::string filter;
        int filterIndex;
    };
    std::vector<std::optional<FileChoice>> answers;
    std::vector<Call> calls;
    qt::FileDialogFunction Function();
};

// The whole program with the file dialogs and the end of the process
// replaced, started, its window shown and active.
class ProgramUnderTest {
  public:
    ProgramUnderTest();

    DialogScript dialogs;
    int endRequests = 0;
    qt::PellorinProgram program;

    qt::MainWindow& Window() { return program.Window(); }
    QWidget& Widget(Control name) { return *program.Window().ControlHandle(name); }
    QString Text(Control name);

  private:
    qt::ProgramSeams Seams();
};

}  // namespace morvane::testing
