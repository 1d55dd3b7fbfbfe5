#include "platform/qt/pellorin_program.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/posix/script_folder.h"
#include "platform/qt/command_line.h"
#include "platform/qt/form_builder.h"

namespace morvane::qt {

void EndProcessAtOnce() {
    posix::RemoveFreshScriptFolder();
    std::fflush(nullptr);
    std::_Exit(0);
}

PellorinProgram::PellorinProgram(ProgramSeams seams)
    : controls_(window_, std::move(seams.fileDialog), std::move(seams.endProgram)),
      handlers_(controls_, system_) {
    window_.RouteEventsTo(handlers_);
}

bool PellorinProgram::Start(const std::vector<std::string>& files) {
    if (!handlers_.GuardSingleInstance()) return false;
    window_.Show();
    if (!files.empty()) handlers_.OnFilesGiven(files);
    return true;
}

namespace {

// The options, read by a core application that needs no window system; it
// is gone before the window-system one is made, and takes out of its own
// copy of argv whatever it takes.
CommandLine ReadCommandLine(int argc, char* argv[]) {
    const QStringList arguments = ArgumentTexts(argc, argv);
    std::vector<char*> copy(argv, argv + argc + 1);
    int count = argc;
    QCoreApplication reading(count, copy.data());
    return ParseCommandLine(arguments);
}

std::vector<std::pair<QtMsgType, QString>>& HeldMessages() {
    static std::vector<std::pair<QtMsgType, QString>> held;
    return held;
}

// Qt's messages while the application connects to the window system. When
// it cannot, Qt says why in warnings and then ends the process with a fatal
// message (abort, status 134): that becomes one line and status 1.
void HoldWhileConnecting(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs("pellorin: cannot open a display; set DISPLAY or use -platform offscreen\n",
                   stderr);
        std::_Exit(1);
    }
    HeldMessages().emplace_back(type, message);
}

// Connected: the messages held go where Qt's messages usually go.
void ReleaseHeldMessages(QtMessageHandler usual) {
    qInstallMessageHandler(usual);
    for (const auto& [type, message] : HeldMessages())
        qt_message_output(type, QMessageLogContext(), message);
    HeldMessages().clear();
}

}  // namespace

int RunPellorin(int argc, char* argv[], const std::function<void(PellorinProgram&)>& beforeStart) {
    const CommandLine commandLine = ReadCommandLine(argc, argv);
    switch (commandLine.action) {
        case CommandLine::Action::ShowHelp:
        case CommandLine::Action::ShowVersion:
            std::fputs(commandLine.text.c_str(), stdout);
            return 0;
        case CommandLine::Action::Refuse:
            std::fputs(commandLine.text.c_str(), stderr);
            return 2;
        case CommandLine::Action::OpenWindow:
            break;
    }

    posix::UndoRunAndRemoveFreshFolderOnSignals();
    const QtMessageHandler usual = qInstallMessageHandler(HoldWhileConnecting);
    QApplication app(argc, argv);
    ReleaseHeldMessages(usual);
    QApplication::setApplicationName(QStringLiteral("pellorin"));
    QApplication::setDesktopFileName(QStringLiteral("pellorin"));
    QApplication::setWindowIcon(AppIcon());
    InstallFontSubstitutions();
    // Qt's own texts (the file dialogs, the notices' OK button) in the
    // user's language where Qt's translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    PellorinProgram program;
    if (beforeStart) beforeStart(program);
    if (!program.Start(commandLine.files)) return 0;
    const int status = QApplication::exec();
    posix::RemoveFreshScriptFolder();
    return status;
}

}  // namespace morvane::qt
