#include "platform/qt/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>

#include "morvane_version.h"

namespace morvane::qt {

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Morvane: extracts one field of every line of a TXT or CSV file into a new text file.\n"
        "Morvane：把TXT或CSV文件每一行的某一段提取到新的文本文件中。"));
    // Declared by hand rather than with addHelpOption(), which would also
    // offer --help-all and the Qt options this program does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A TXT or CSV file to take as the source, as if chosen with \"...\"."),
        QStringLiteral("[file]"));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Refuse;
        result.text = "pellorin: " + parser.errorText().toStdString() + " (see pellorin --help)\n";
        return result;
    }
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::ShowHelp;
        result.text = parser.helpText().toStdString();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = "pellorin " MORVANE_VERSION "\n";
        return result;
    }
    // A relative name means the folder the program was started in, which is
    // not a folder the boxes could ever be read against later.
    for (const QString& file : parser.positionalArguments())
        result.files.push_back(QFileInfo(file).absoluteFilePath().toStdString());
    return result;
}

}  // namespace morvane::qt
