// pellorin: pulls one field of every line of a text file into a new file.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/qt/app_icon.h"
#include "platform/qt/fonts.h"
#include "platform/qt/pellorin_program.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pellorin"));
    QApplication::setDesktopFileName(QStringLiteral("pellorin"));
    QApplication::setWindowIcon(morvane::qt::AppIcon());
    morvane::qt::InstallFontSubstitutions();
    // Qt's own texts (the file dialogs, the notices' OK button) in the
    // user's language where Qt's translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    morvane::qt::PellorinProgram program;
    if (!program.Start()) return 0;
    return QApplication::exec();
}
