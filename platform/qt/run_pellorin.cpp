#include "platform/qt/run_pellorin.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#include "platform/qt/app_icon.h"
#include "platform/qt/command_line.h"
#include "platform/qt/fonts.h"

namespace morvane::qt {

namespace {

// The options, read by a core application that needs no window system; it
// is gone before the window-system one is made.
CommandLine ReadCommandLine(int argc, char* argv[]) {
    QCoreApplication reading(argc, argv);
    return ParseCommandLine(QCoreApplication::arguments());
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

    QApplication app(argc, argv);
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
    return QApplication::exec();
}

}  // namespace morvane::qt
