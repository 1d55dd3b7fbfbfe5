// One line of a script, parsed into the command it asks for: a for /f loop
// with its options (for_options.h) and its echo body, or an echo on its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "interpreter/for_options.h"

namespace morvane::interp {

// A piece of a loop's echo text: literal text or a variable reference.
struct EchoPiece {
    int variable = -1;  // >= 0: the loop variable's value; otherwise `literal`
    std::string literal;
    bool operator==(const EchoPiece&) const = default;
};

// Whether `c` can name a loop variable: a letter, or one of "[\]^_`", the
// characters between Z and a, which name the variables that follow Z.
bool IsVariableName(char c);

// `%X` (a batch file's "%%X" once read) with X from `first` through the
// following `count` characters (in character order, as far as IsVariableName
// goes) refers to a variable; any other text, other `%X` included, stays as
// written.
std::vector<EchoPiece> CompileEchoText(std::string_view text, char first, int count);

enum class Redirect { None, Append, Replace };

// echo TEXT, optionally followed by >>TARGET or >TARGET. TEXT is everything
// after the one separator that follows the word echo, up to the first ">".
struct EchoCommand {
    std::string text;
    Redirect redirect = Redirect::None;
    std::string target;  // "NAME" without its quotes, or the rest of the line verbatim
};

// for /f "OPTIONS" %%V in (SOURCE) do ECHO, on its own or as the one command
// of a parenthesised block with a redirection before or after it:
//   >>"TARGET" (for /f ... do @echo(%%a)      (for /f ... do @echo(%%a)>>"TARGET"
// The block's redirection is kept in `body`; the echo inside the block has
// none of its own.
struct ForCommand {
    ForOptions options;
    char variable = 'a';
    std::string source;  // blanks around it dropped; with usebackq, "NAME" without its quotes
    EchoCommand body;
    // Redirected around a block: the target is opened once, when the block
    // starts, so it exists even when no value is written.
    bool inBlock = false;
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
