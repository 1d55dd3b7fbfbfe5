// What `pellorin` is asked on its command line: --help, --version, or to
// open its window, with the files named after the options.
#pragma once

#include <QStringList>
#include <string>
#include <vector>

namespace morvane::qt {

struct CommandLine {
    enum class Action {
        OpenWindow,   // no option: the window opens, `files` go to the source box
        ShowHelp,     // print `text` to standard output, exit status 0
        ShowVersion,  // the same
        Refuse,       // print `text` (one line) to standard error, exit status 2
    };
    Action action = Action::OpenWindow;
    std::string text;  // ends with a newline
    // The other arguments: their bytes as given (a name need not be UTF-8),
    // a relative one behind the current folder.
    std::vector<std::string> files;
};

// The program's arguments as text the parser reads: UTF-8 decoded, each byte
// that is no part of a UTF-8 character kept as a lone surrogate (U+DC80 to
// U+DCFF, which decoding never gives), so that a name that is not text still
// reads as itself and no two names read alike.
QStringList ArgumentTexts(int argc, char* argv[]);

// Reads `arguments` (ArgumentTexts, the program's name first). Qt's own
// options (-platform, -style, …) are taken and left to the application.
// Needs no window system: only Qt's core.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace morvane::qt
