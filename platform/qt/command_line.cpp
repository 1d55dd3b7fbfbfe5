#include "platform/qt/command_line.h"

#include <unistd.h>
#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cerrno>
#include <string_view>

#include "common/text/source_encoding.h"
#include "morvane_version.h"
#include "ui/window_text.h"

namespace morvane::qt {

namespace {

constexpr char16_t kFirstEscapedByte = 0xDC00;

bool IsEscapedByte(const std::u16string& units, std::size_t at) {
    const bool afterHighSurrogate = at > 0 && units[at - 1] >= 0xD800 && units[at - 1] <= 0xDBFF;
    return units[at] >= 0xDC80 && units[at] <= 0xDCFF && !afterHighSurrogate;
}

// The bytes an argument text was read from.
std::string ArgumentBytes(const QString& text) {
    const std::u16string units = text.toStdU16String();
    const std::u16string_view view(units);
    std::string bytes;
    std::size_t written = 0;
    for (std::size_t at = 0; at < units.size(); ++at) {
        if (!IsEscapedByte(units, at)) continue;
        bytes += WindowTextToUtf8(view.substr(written, at - written));
        bytes += static_cast<char>(units[at] - kFirstEscapedByte);
        written = at + 1;
    }
    return bytes + WindowTextToUtf8(view.substr(written));
}

// `name` with the current folder in front when it is relative. Nothing is
// taken out: in "link/../data.csv" the ".." is the parent of wherever the
// link leads, which only the file system knows.
std::string Absolute(const std::string& name) {
    if (name.empty() || name.front() == '/') return name;
    std::string folder(256, '\0');
    while (::getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) return name;  // the folder is gone: the name as given
        folder.resize(folder.size() * 2);
    }
    folder.resize(folder.find('\0'));
    return folder + (folder.back() == '/' ? "" : "/") + name;
}

// The options QApplication takes for itself (its own, the window system's
// and the X11 ones); accepted here, hidden from --help, and left in argv.
void AddQtOptions(QCommandLineParser& parser) {
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "geometry", "qwindowicon", "icon", "qwindowtitle", "title", "session", "display", "name",
          "visual", "style", "stylesheet", "qmljsdebugger"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

}  // namespace

QStringList ArgumentTexts(int argc, char* argv[]) {
    QStringList texts;
    for (int i = 0; i < argc; ++i) {
        const std::string_view bytes(argv[i]);
        QString text;
        for (std::size_t at = 0; at < bytes.size();) {
            // A UTF-8 character is the one well-formed sequence of 1 to 4
            // bytes that starts at `at`, if there is one.
            std::size_t length = 1;
            while (length <= 4 && at + length <= bytes.size() &&
                   !text::IsUtf8(bytes.substr(at, length)))
                ++length;
            if (length <= 4 && at + length <= bytes.size()) {
                text += QString::fromUtf8(bytes.data() + at, static_cast<qsizetype>(length));
                at += length;
            } else {
                text += QChar(static_cast<char16_t>(kFirstEscapedByte +
                                                    static_cast<unsigned char>(bytes[at])));
                ++at;
            }
        }
        texts << text;
    }
    return texts;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Morvane: extracts one field of every line of a TXT or CSV file into a new text file.\n"
        "Morvane：把TXT或CSV文件每一行的某一段提取到新的文本文件中。"));
    // Qt's options are single-dash words ("-platform offscreen"), not
    // bundles of one-letter options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Declared by hand rather than with addHelpOption(), which would also
    // offer --help-all and list Qt's options.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    AddQtOptions(parser);
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
    for (const QString& file : parser.positionalArguments()) {
        if (!file.isEmpty()) result.files.push_back(Absolute(ArgumentBytes(file)));
    }
    return result;
}

}  // namespace morvane::qt
