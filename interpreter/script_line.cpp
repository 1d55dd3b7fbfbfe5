#include "interpreter/script_line.h"

#include <algorithm>

#include "interpreter/script_text.h"

namespace morvane::interp {

// The echo text, cut into literal text and variable references.

bool IsVariableName(char c) { return c >= 'A' && c <= 'z'; }

std::vector<EchoPiece> CompileEchoText(std::string_view text, char first, int count) {
    std::vector<EchoPiece> pieces;
    std::string literal;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (pos + 1 < text.size() && text[pos] == '%' && IsVariableName(text[pos + 1])) {
            const int index = text[pos + 1] - first;
            if (index >= 0 && index < count) {
                if (!literal.empty()) pieces.push_back({-1, std::move(literal)});
                literal.clear();
                pieces.push_back({index, {}});
                pos += 2;
                continue;
            }
        }
        literal += text[pos++];
    }
    if (!literal.empty()) pieces.push_back({-1, std::move(literal)});
    return pieces;
}

// The line as a whole.

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

// The head of a loop after the word "for": /f, the quoted options, the
// variable and "in (". On success `rest` is left just after the "(";
// otherwise answers why the head cannot be read.
std::optional<std::string> ReadForHead(std::string_view& rest, std::string_view& optionsText,
                                       char& variable) {
    rest = DropLeadingBlanks(rest);
    if (!StartsWithWord(rest, "/f") || (rest.size() > 2 && !IsBlank(rest[2]) && rest[2] != '"')) {
        return "only for /f loops are supported";
    }
    rest = DropLeadingBlanks(rest.substr(2));
    if (!rest.empty() && rest.front() == '"') {
        const std::size_t close = rest.find('"', 1);
        if (close == std::string_view::npos) return "the for /f options have no closing quote";
        optionsText = rest.substr(1, close - 1);
        rest = DropLeadingBlanks(rest.substr(close + 1));
    }
    if (rest.size() < 2 || rest.front() != '%' || !IsVariableName(rest[1])) {
        return "syntax error: expected %%V (a letter) after the for /f options, found \"" +
               std::string(rest.substr(0, 20)) + "\"";
    }
    variable = rest[1];
    rest = rest.substr(2);
    if (rest.empty() || !IsBlank(rest.front())) {
        return "syntax error: the loop variable must be one character";
    }
    rest = DropLeadingBlanks(rest);
    if (!StartsWithWord(rest, "in")) return "syntax error: expected \"in\"";
    rest = DropLeadingBlanks(rest.substr(2));
    if (rest.empty() || rest.front() != '(') return "syntax error: expected \"(\"";
    rest.remove_prefix(1);
    return std::nullopt;
}

// A SET that is a quoted file name (with usebackq), and the echo command
// after it. The name ends at its closing quote, whatever it holds (a name
// may hold ") do echo"); only blanks may follow before ")".
std::optional<std::string_view> ReadQuotedSet(std::string_view set, EchoCommand& body,
                                              std::string& error) {
    const std::size_t close = set.find('"', 1);
    if (close == std::string_view::npos) {
        error = "syntax error: the source's name has no closing quote";
        return std::nullopt;
    }
    const std::string_view after = DropLeadingBlanks(set.substr(close + 1));
    if (after.empty() || after.front() != ')') {
        error = "syntax error: expected \")\" after the source's closing quote";
        return std::nullopt;
    }
    auto echo = EchoAfterSet(after, 0, error);
    if (!echo) return std::nullopt;
    body = std::move(*echo);
    return set.substr(1, close - 1);
}

// An unquoted SET, and the echo command after it. The source is everything
// up to the ") do " that begins an echo command, blanks around it dropped;
// earlier ")" belong to the path.
std::optional<std::string_view> ReadUnquotedSet(std::string_view rest, EchoCommand& body,
                                                std::string& error) {
    std::string bodyError;
    for (std::size_t pos = rest.find(')'); pos != std::string_view::npos;
         pos = rest.find(')', pos + 1)) {
        if (!CommandAfterClosingParen(rest, pos)) continue;
        if (auto echo = EchoAfterSet(rest, pos, error)) {
            body = std::move(*echo);
            return TrimBlanks(rest.substr(0, pos));
        }
        if (bodyError.empty()) bodyError = error;
    }
    error = bodyError.empty() ? "syntax error: expected \") do\" after the source" : bodyError;
    return std::nullopt;
}

ScriptCommand ParseFor(std::string_view line) {
    std::string_view rest = line.substr(3);
    std::string_view optionsText;
    ForCommand command;
    if (auto headError = ReadForHead(rest, optionsText, command.variable)) {
        return LineError{std::move(*headError)};
    }
    std::string error;
    auto options = ParseForOptions(optionsText, error);
    if (!options) return LineError{"syntax error: " + error};
    command.options = std::move(*options);

    const std::string_view set = DropLeadingBlanks(rest);
    const std::optional<std::string_view> source =
        command.options.usebackq && !set.empty() && set.front() == '"'
            ? ReadQuotedSet(set, command.body, error)
            : ReadUnquotedSet(rest, command.body, error);
    if (!source) return LineError{error};
    if (source->empty()) return LineError{"syntax error: no source file between the parentheses"};
    command.source = std::string(*source);
    return command;
}

// The redirection word at the start of `text`: ">>" or ">", then blanks,
// then a quoted name or an unquoted one that ends at a blank or at
// `unquotedEnd`. `text` is left after the name.
std::optional<std::string> ReadRedirection(std::string_view& text, Redirect& redirect,
                                           std::string_view unquotedEnd) {
    const bool append = text.size() > 1 && text[1] == '>';
    redirect = append ? Redirect::Append : Redirect::Replace;
    text = DropLeadingBlanks(text.substr(append ? 2 : 1));
    std::size_t end = 0;
    std::string name;
    if (!text.empty() && text.front() == '"') {
        end = text.find('"', 1);
        if (end == std::string_view::npos) return std::nullopt;
        name = std::string(text.substr(1, end - 1));
        ++end;
    } else {
        end = std::min(text.find_first_of(std::string(" \t") + std::string(unquotedEnd)),
                       text.size());
        name = std::string(text.substr(0, end));
    }
    text = text.substr(end);
    if (name.empty()) return std::nullopt;
    return name;
}

// A parenthesised block holding one for /f loop, with its redirection before
// it (`>>"T" (for ...)`, the form Morvane writes) or after it
// (`(for ...)>>"T"`). The block ends at the last ")" before the redirection
// (or the line's end): the loop's own parentheses, and any in its quoted
// source, come before it. Answers nothing when the line is not a block.
std::optional<ScriptCommand> ParseBlock(std::string_view line) {
    Redirect redirect = Redirect::None;
    std::optional<std::string> target;
    std::string_view rest = TrimBlanks(line);
    if (!rest.empty() && rest.front() == '>') {
        target = ReadRedirection(rest, redirect, "(");
        rest = DropLeadingBlanks(rest);
        if (rest.empty() || rest.front() != '(') return std::nullopt;  // echo-less, not a block
    } else if (rest.empty() || rest.front() != '(') {
        return std::nullopt;
    } else if (rest.back() == '"') {
        // A quoted target after the block ends the line and holds no quote.
        const std::size_t open = rest.rfind('"', rest.size() - 2);
        const std::size_t arrow = rest.find_last_not_of(" \t", open - 1);
        if (open == std::string_view::npos || arrow == std::string_view::npos ||
            rest[arrow] != '>') {
            return LineError{"syntax error: text after the block"};
        }
        std::string_view redirection = rest.substr(rest[arrow - 1] == '>' ? arrow - 1 : arrow);
        rest.remove_suffix(redirection.size());
        target = ReadRedirection(redirection, redirect, "");
        rest = TrimBlanks(rest);
    } else if (const std::size_t close = rest.rfind(')'); close != std::string_view::npos) {
        std::string_view after = DropLeadingBlanks(rest.substr(close + 1));
        if (!after.empty()) {
            if (after.front() != '>') return LineError{"syntax error: text after the block"};
            target = ReadRedirection(after, redirect, "");
            if (!DropLeadingBlanks(after).empty())
                return LineError{"syntax error: text after the block's redirection"};
        }
        rest = rest.substr(0, close + 1);
    }
    if (redirect != Redirect::None && !target)
        return LineError{"syntax error: no file named after the redirection"};
    if (rest.size() < 2 || rest.back() != ')')
        return LineError{"syntax error: the block has no closing \")\" at its end"};

    const std::string_view inner = DropLeadingBlanksAndAts(rest.substr(1, rest.size() - 2));
    if (!StartsWithWord(inner, "for") || inner.size() <= 3 || !IsBlank(inner[3]))
        return LineError{"only a for /f loop is supported inside a block"};
    ScriptCommand parsed = ParseFor(inner);
    if (auto* loop = std::get_if<ForCommand>(&parsed)) {
        if (loop->body.redirect != Redirect::None)
            return LineError{"a redirection inside a redirected block is not supported"};
        loop->body.redirect = redirect;
        loop->body.target = target.value_or(std::string());
        loop->inBlock = true;
    }
    return parsed;
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
    if (auto block = ParseBlock(command)) return std::move(*block);
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
