// A copy of the program for the single-instance test: the real program, on
// the offscreen platform, that reports on standard output what happened.
// Each notice is printed ("notice<TAB>title<TAB>prompt") and answered with
// OK; "shown" is printed when the main window appears. With "--quit-when-shown"
// it ends as soon as its window is up.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "platform/qt/fonts.h"
#include "platform/qt/pellorin_program.h"

extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

class ShowReporter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            std::printf("shown\n");
            std::fflush(stdout);
            if (quitWhenShown) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
    bool quitWhenShown = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    morvane::qt::InstallFontSubstitutions();

    QTimer noticePoll;
    QObject::connect(&noticePoll, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        std::printf("notice\t%s\t%s\n", box->windowTitle().toUtf8().constData(),
                    box->text().toUtf8().constData());
        std::fflush(stdout);
        box->button(QMessageBox::Ok)->click();
    });
    noticePoll.start(10);

    morvane::qt::PellorinProgram program;
    ShowReporter reporter;
    reporter.quitWhenShown = argc > 1 && std::strcmp(argv[1], "--quit-when-shown") == 0;
    program.Window().installEventFilter(&reporter);
    if (!program.Start()) {
        std::printf("not started\n");
        return 0;
    }
    return QApplication::exec();
}
