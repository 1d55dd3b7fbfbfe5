// One line of a script, parsed into the command it asks for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "interpreter/for_options.h"

namespace morvane::interp {

enum class Redirect { None, Append, Replace };

// echo TEXT, optionally followed by >>TARGET or >TARGET. TEXT is everything
// after the one separator that follows the word echo, up to the first ">".
struct EchoCommand {
    std::string text;
    Redirect redirect = Redirect::None;
    std::string target;  // "NAME" without its quotes, or the rest of the line verbatim
};

// for /f "OPTIONS" %%V in (SOURCE) do ECHO
struct ForCommand {
    ForOptions options;
    char variable = 'a';
    std::string source;  // blanks around it dropped; with usebackq, "NAME" without its quotes
    EchoCommand body;
};

struct BlankLine {};

// A line that cannot run, with the reason.
struct LineError {
    std::string message;
};

using ScriptCommand = std::variant<BlankLine, EchoCommand, ForCommand, LineError>;

// Parses one script line (UTF-8, without its line break) as a batch file's
// line: "%%" is read as "%" first, so the loop variable is then "%V" in the
// options and the echo text. Leading white space and "@" signs are dropped;
// keywords are matched in any letter case.
ScriptCommand ParseScriptLine(std::string_view line);

// The echo command `text` starts with, if it is one.
std::optional<EchoCommand> ParseEcho(std::string_view text, std::string& error);

}  // namespace morvane::interp
