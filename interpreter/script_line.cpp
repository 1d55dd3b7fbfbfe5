#include "interpreter/script_line.h"

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

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// If `text` at `pos` is ")" [blanks] "do" followed by a blank or "@", the
// command after it (leading blanks and "@" dropped).
std::optional<std::string_view> CommandAfterClosingParen(std::string_view text, std::size_t pos) {
    std::string_view rest = DropLeadingBlanks(text.substr(pos + 1));
    if (!StartsWithWord(rest, "do") || rest.size() < 3) return std::nullopt;
    if (!IsBlank(rest[2]) && rest[2] != '@') return std::nullopt;
    return DropLeadingBlanksAndAts(rest.substr(2));
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
    if (rest.size() < 3 || rest.substr(0, 2) != "%%" || !IsLetter(rest[2])) {
        return LineError{
            "syntax error: expected %%V (one letter) after the for /f options, found \"" +
            std::string(rest.substr(0, 20)) + "\""};
    }
    ForCommand command;
    command.variable = rest[2];
    rest = rest.substr(3);
    if (rest.empty() || !IsBlank(rest.front())) {
        return LineError{"syntax error: the loop variable must be one letter"};
    }
    rest = DropLeadingBlanks(rest);
    if (!StartsWithWord(rest, "in")) return LineError{"syntax error: expected \"in\""};
    rest = DropLeadingBlanks(rest.substr(2));
    if (rest.empty() || rest.front() != '(') return LineError{"syntax error: expected \"(\""};
    rest.remove_prefix(1);

    // The source is everything up to the ") do " that begins an echo command;
    // earlier ")" belong to the path.
    std::optional<std::size_t> chosen;
    std::string bodyError;
    for (std::size_t pos = rest.find(')'); pos != std::string_view::npos;
         pos = rest.find(')', pos + 1)) {
        const auto body = CommandAfterClosingParen(rest, pos);
        if (!body) continue;
        std::string error;
        if (auto echo = ParseEcho(*body, error)) {
            command.body = std::move(*echo);
            chosen = pos;
            break;
        }
        if (bodyError.empty()) {
            bodyError = error.empty()
                            ? "the loop's command is not echo: \"" + std::string(*body) + "\""
                            : error;
        }
    }
    if (!chosen) {
        return LineError{bodyError.empty() ? "syntax error: expected \") do\" after the source"
                                           : bodyError};
    }

    std::string error;
    auto options = ParseForOptions(optionsText, error);
    if (!options) return LineError{"syntax error: " + error};
    command.options = std::move(*options);

    std::string_view source = rest.substr(0, *chosen);
    if (command.options.usebackq && source.size() >= 2 && source.front() == '"' &&
        source.back() == '"') {
        source = source.substr(1, source.size() - 2);
    }
    if (source.empty()) return LineError{"syntax error: no source file between the parentheses"};
    command.source = std::string(source);
    return command;
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
    echo.target = std::string(rest.substr(arrow + (append ? 2 : 1)));
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
    const std::string_view command = DropLeadingBlanksAndAts(line);
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
