// A copy of the program for the tests that start it as a process: the real
// program (its command line, guard and window), on the offscreen platform,
// reporting on standard output what happened. Each notice is printed
// ("notice<TAB>title<TAB>prompt") and answered with OK; when the main window
// appears, "shown<TAB>source box<TAB>output box" is printed. A first argument
// "--quit-when-shown" (the probe's own, not passed on) ends it as soon as
// its window is up.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "platform/qt/pellorin_program.h"

extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

using morvane::Control;
using morvane::qt::PellorinProgram;

class ShowReporter : public QObject {
  public:
    ShowReporter(PellorinProgram& program, bool quitWhenShown)
        : program_(program), quitWhenShown_(quitWhenShown) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            // The boxes as they are once the event loop has run the start.
            QTimer::singleShot(0, qApp, [this] {
                std::printf("shown\t%s\t%s\n", Box(Control::SourcePathBox).c_str(),
                            Box(Control::OutputPathBox).c_str());
                std::fflush(stdout);
                if (quitWhenShown_) QCoreApplication::quit();
            });
        }
        return false;
    }

  private:
    std::string Box(Control name) const {
        return qobject_cast<QLineEdit*>(program_.Window().ControlHandle(name))
            ->text()
            .toStdString();
    }

    PellorinProgram& program_;
    bool quitWhenShown_;
};

}  // namespace

int main(int argc, char* argv[]) {
    const bool quitWhenShown = argc > 1 && std::strcmp(argv[1], "--quit-when-shown") == 0;
    if (quitWhenShown) {
        argv[1] = argv[0];
        ++argv;
        --argc;
    }

    return morvane::qt::RunPellorin(argc, argv, [&](PellorinProgram& program) {
        // Both belong to the window, so they go before the application does.
        auto* noticePoll = new QTimer(&program.Window());
        QObject::connect(noticePoll, &QTimer::timeout, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            std::printf("notice\t%s\t%s\n", box->windowTitle().toUtf8().constData(),
                        box->text().toUtf8().constData());
            std::fflush(stdout);
            box->button(QMessageBox::Ok)->click();
        });
        noticePoll->start(10);
        auto* reporter = new ShowReporter(program, quitWhenShown);
        reporter->setParent(&program.Window());
        program.Window().installEventFilter(reporter);
    });
}
