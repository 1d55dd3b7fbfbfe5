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
    std::string text;                // ends with a newline
    std::vector<std::string> files;  // the other arguments, made absolute
};

// Reads `arguments` (the program's name first, as QCoreApplication gives
// them). Needs no window system: only Qt's core.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace morvane::qt
