#include "interpreter/script_line.h"

#include "interpreter/echo_template.h"
#include "interpreter/utf8_text.h"

namespace morvane::interp {

namespace {

// Characters that may separate the word echo from its text; the one
// separator is not part of the text.
bool IsEchoSeparator(char c) {
    return IsBlank(c) || std::string_view(".,;:=(/+[]\\").find(c) != std::string_view::npos;
}

std::string_view DropLeadingBlanksAndAts(std::string_view text) {
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '@')) text.remove_prefix(1);
    return text;
}

std::string_view DropLeadingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

// If `text` at `pos` is ")" [blanks] "do" followed by a blank or "@", the
// command after it (leading blanks and "@" dropped).
std::optional<std::string_view> CommandAfterClosingParen(std::string_view text, std::size_t pos) {
    std::string_view rest = DropLeadingBlanks(text.substr(pos + 1));
    if (!StartsWithWord(rest, "do") || rest.size() < 3) return std::nullopt;
    if (!IsBlank(rest[2]) && rest[2] != '@') return std::nullopt;
    return DropLeadingBlanksAndAts(rest.substr(2));
}

std::string_view TrimBlanks(std::string_view text) {
    text = DropLeadingBlanks(text);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The echo command after the SET's closing parenthesis at `rest[pos]`, or why
// there is none.
std::optional<EchoCommand> EchoAfterSet(std::string_view rest, std::size_t pos,
                                        std::string& error) {
    const auto body = CommandAfterClosingParen(rest, pos);
    if (!body) {
        error = "syntax error: expected \") do\" after the source";
        return std::nullopt;
    }
    auto echo = ParseEcho(*body, error);
    if (!echo && error.empty())
        error = "the loop's command is not echo: \"" + std::string(*body) + "\"";
    return echo;
}

ScriptCommand ParseFor(std::string_view line) {
    std::string_view rest = DropLeadingBlanks(line.substr(3));
    if (!StartsWithWord(rest, "/f") || (rest.size() > 2 && !IsBlank(rest[2]) && rest[2] != '"')) {
        return LineError{"only for /f loops are supported"};
    }
    rest = DropLeadingBlanks(rest.substr(2));

    std::string_view optionsText;
    if (!rest.empty() && rest.front() == '"') {
        const std::size_t close = rest.find('"', 1);
        if (close == std::string_view::npos) {
            return LineError{"the for /f options have no closing quote"};
        }
        optionsText = rest.substr(1, close - 1);
        rest = DropLeadingBlanks(rest.substr(close + 1));
    }
    if (rest.size() < 2 || rest.front() != '%' || !IsVariableName(rest[1])) {
        return LineError{
            "syntax error: expected %%V (a letter) after the for /f options, found \"" +
            std::string(rest.substr(0, 20)) + "\""};
    }
    ForCommand command;
    command.variable = rest[1];
    rest = rest.substr(2);
    if (rest.empty() || !IsBlank(rest.front())) {
        return LineError{"syntax error: the loop variable must be one character"};
    }
    rest = DropLeadingBlanks(rest);
    if (!StartsWithWord(rest, "in")) return LineError{"syntax error: expected \"in\""};
    rest = DropLeadingBlanks(rest.substr(2));
    if (rest.empty() || rest.front() != '(') return LineError{"syntax error: expected \"(\""};
    rest.remove_prefix(1);

    std::string error;
    auto options = ParseForOptions(optionsText, error);
    if (!options) return LineError{"syntax error: " + error};
    command.options = std::move(*options);

    std::string_view source;
    const std::string_view set = DropLeadingBlanks(rest);
    if (command.options.usebackq && !set.empty() && set.front() == '"') {
        // A quoted file name ends at its closing quote, whatever it holds
        // (a name may hold ") do echo"); only blanks may follow before ")".
        const std::size_t close = set.find('"', 1);
        if (close == std::string_view::npos) {
            return LineError{"syntax error: the source's name has no closing quote"};
        }
        source = set.substr(1, close - 1);
        const std::string_view after = DropLeadingBlanks(set.substr(close + 1));
        if (after.empty() || after.front() != ')') {
            return LineError{"syntax error: expected \")\" after the source's closing quote"};
        }
        auto echo = EchoAfterSet(after, 0, error);
        if (!echo) return LineError{error};
        command.body = std::move(*echo);
    } else {
        // An unquoted source is everything up to the ") do " that begins an
        // echo command, blanks around it dropped; earlier ")" belong to the
        // path.
        std::optional<std::size_t> chosen;
        std::string bodyError;
        for (std::size_t pos = rest.find(')'); pos != std::string_view::npos;
             pos = rest.find(')', pos + 1)) {
            if (!CommandAfterClosingParen(rest, pos)) continue;
            if (auto echo = EchoAfterSet(rest, pos, error)) {
                command.body = std::move(*echo);
                chosen = pos;
                break;
            }
            if (bodyError.empty()) bodyError = error;
        }
        if (!chosen) {
            return LineError{bodyError.empty() ? "syntax error: expected \") do\" after the source"
                                               : bodyError};
        }
        source = TrimBlanks(rest.substr(0, *chosen));
    }
    if (source.empty()) return LineError{"syntax error: no source file between the parentheses"};
    command.source = std::string(source);
    return command;
}

// What a batch file's first reading does to a line before it is parsed:
// "%%" becomes "%". Environment variables are not expanded, and a "%" that
// is not doubled stays as it is.
std::string ReadPercents(std::string_view line) {
    std::string read;
    read.reserve(line.size());
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        read += line[pos];
        if (line[pos] == '%' && pos + 1 < line.size() && line[pos + 1] == '%') ++pos;
    }
    return read;
}

}  // namespace

std::optional<EchoCommand> ParseEcho(std::string_view text, std::string& error) {
    if (!StartsWithWord(text, "echo")) return std::nullopt;
    std::string_view rest = text.substr(4);
    if (!rest.empty()) {
        if (IsEchoSeparator(rest.front())) {
            rest.remove_prefix(1);
        } else if (rest.front() != '>') {
            return std::nullopt;
        }
    }
    EchoCommand echo;
    const std::size_t arrow = rest.find('>');
    echo.text = std::string(rest.substr(0, arrow));
    if (arrow == std::string_view::npos) return echo;
    const bool append = arrow + 1 < rest.size() && rest[arrow + 1] == '>';
    echo.redirect = append ? Redirect::Append : Redirect::Replace;
    const std::string_view target = rest.substr(arrow + (append ? 2 : 1));
    const std::string_view quoted = DropLeadingBlanks(target);
    if (!quoted.empty() && quoted.front() == '"') {
        // A quoted name ends at its closing quote; only blanks may follow.
        const std::size_t close = quoted.find('"', 1);
        if (close == std::string_view::npos ||
            !DropLeadingBlanks(quoted.substr(close + 1)).empty()) {
            error = "syntax error: the redirection's quoted file name must end the line";
            return std::nullopt;
        }
        echo.target = std::string(quoted.substr(1, close - 1));
    } else {
        echo.target = std::string(target);  // the old unquoted form: the rest of the line
    }
    if (echo.target.empty()) {
        error = "syntax error: no file named after the redirection";
        return std::nullopt;
    }
    return echo;
}

ScriptCommand ParseScriptLine(std::string_view line) {
    // A file name cannot hold a NUL byte; cutting the name there would name
    // another file.
    if (line.find('\0') != std::string_view::npos) {
        return LineError{"the line holds a NUL character"};
    }
    const std::string readLine = ReadPercents(line);
    const std::string_view command = DropLeadingBlanksAndAts(readLine);
    if (DropLeadingBlanks(command).empty()) return BlankLine{};
    if (StartsWithWord(command, "for") && command.size() > 3 && IsBlank(command[3])) {
        return ParseFor(command);
    }
    std::string error;
    if (auto echo = ParseEcho(command, error)) return std::move(*echo);
    if (!error.empty()) return LineError{error};
    const std::size_t wordEnd = command.find_first_of(" \t");
    std::string message = "\"";
    message.append(command.substr(0, wordEnd));
    message.append(
        "\" is not a command this interpreter runs; only for /f with echo, and echo, are");
    return LineError{std::move(message)};
}

}  // namespace morvane::interp
