#include "interpreter/script_line.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <unordered_set>

namespace morvane::interp {

// The text here is UTF-8: the script after its conversion from GB18030.
namespace {

// Length of the UTF-8 character starting at `pos` (1 for a stray byte), never
// running past the end of the text.
std::size_t Utf8CharLengthAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    length = std::min(length, text.size() - pos);
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return i;
    }
    return length;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }  // space or tab

// ASCII case-insensitive comparison of text's start with a lower-case word.
bool StartsWithWord(std::string_view text, std::string_view lowerWord) {
    if (text.size() < lowerWord.size()) return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i]) return false;
    }
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// The token list of tokens=.

namespace {

// Reads a decimal number at `pos`; saturates far above 31 so huge numbers are
// simply "above 31".
std::optional<std::uint32_t> ReadNumber(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || !IsDigit(text[pos])) return std::nullopt;
    std::uint32_t value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        value =
            std::min<std::uint32_t>(value * 10 + static_cast<std::uint32_t>(text[pos] - '0'), 1000);
        ++pos;
    }
    return value;
}

}  // namespace

int TokenPlan::TokenCount() const { return std::popcount(tokens); }

int TokenPlan::HighestToken() const { return 32 - std::countl_zero(tokens); }

int TokenPlan::TokenOfVariable(int index) const {
    std::uint32_t remaining = tokens;
    for (int i = 0; remaining != 0; ++i) {
        const int token = std::countr_zero(remaining) + 1;
        if (i == index) return token;
        remaining &= remaining - 1;
    }
    return 0;
}

std::optional<TokenPlan> ParseTokenList(std::string_view text, std::string& error) {
    TokenPlan plan;
    plan.tokens = 0;
    std::size_t pos = 0;
    if (text.empty()) {
        error = "tokens= needs at least one token number";
        return std::nullopt;
    }
    while (pos < text.size()) {
        if (text[pos] == '*') {
            plan.rest = true;
            ++pos;
            if (pos != text.size()) {
                error = "nothing may follow \"*\" in tokens=";
                return std::nullopt;
            }
            break;
        }
        const auto first = ReadNumber(text, pos);
        if (!first) {
            error = "tokens= expects a number at \"" + std::string(text.substr(pos)) + "\"";
            return std::nullopt;
        }
        std::uint32_t last = *first;
        if (pos < text.size() && text[pos] == '-') {
            ++pos;
            const auto end = ReadNumber(text, pos);
            if (!end) {
                error = "tokens= has a range without an end";
                return std::nullopt;
            }
            last = *end;
        }
        if (*first == 0 || last == 0) {
            error = "tokens=0 is not a token number (tokens count from 1)";
            return std::nullopt;
        }
        if (*first <= last && last <= kMaxTokenNumber) {
            for (std::uint32_t n = *first; n <= last; ++n) plan.tokens |= 1u << (n - 1);
        }
        if (pos == text.size()) break;
        if (text[pos] == ',') {
            ++pos;
            if (pos == text.size()) {
                error = "tokens= ends in a comma";
                return std::nullopt;
            }
        } else if (text[pos] != '*') {
            error = std::string("unexpected \"") + text[pos] + "\" in tokens=";
            return std::nullopt;
        }
    }
    return plan;
}

// The quoted options of for /f.

namespace {

enum class Keyword { None, Tokens, Delims, Eol, Skip, UseBackQ };

struct KeywordMatch {
    Keyword keyword = Keyword::None;
    std::size_t length = 0;
};

// The option keyword the text starts with. The flag needs white space or the
// end after it, so "usebackqx" is not usebackq.
KeywordMatch MatchKeyword(std::string_view text) {
    static constexpr struct {
        std::string_view word;
        Keyword keyword;
    } kValued[] = {{"tokens=", Keyword::Tokens},
                   {"delims=", Keyword::Delims},
                   {"eol=", Keyword::Eol},
                   {"skip=", Keyword::Skip}};
    for (const auto& entry : kValued) {
        if (StartsWithWord(text, entry.word)) return {entry.keyword, entry.word.size()};
    }
    for (std::string_view flag : {std::string_view("usebackq"), std::string_view("useback")}) {
        if (StartsWithWord(text, flag) &&
            (text.size() == flag.size() || IsBlank(text[flag.size()]))) {
            return {Keyword::UseBackQ, flag.size()};
        }
    }
    return {};
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

std::size_t WordEnd(std::string_view text, std::size_t pos) {
    while (pos < text.size() && !IsBlank(text[pos])) ++pos;
    return pos;
}

// The delimiter list starting at `pos`; leaves `pos` where parsing goes on.
std::vector<std::string> ReadDelimiters(std::string_view text, std::size_t& pos) {
    std::vector<std::string> delimiters;
    // A list may be long (a pasted text); duplicates are found in a set, so
    // reading it takes time linear in its length.
    std::unordered_set<std::string_view> seen;
    while (pos < text.size()) {
        if (IsBlank(text[pos])) {
            const std::size_t next = SkipBlanks(text, pos);
            if (next < text.size() && MatchKeyword(text.substr(next)).keyword != Keyword::None) {
                pos = next;
                break;
            }
        }
        const std::size_t length = Utf8CharLengthAt(text, pos);
        if (seen.insert(text.substr(pos, length)).second)
            delimiters.emplace_back(text.substr(pos, length));
        pos += length;
    }
    return delimiters;
}

std::optional<std::uint64_t> ReadSkip(std::string_view value, std::string& error) {
    if (value.empty() || !std::all_of(value.begin(), value.end(), IsDigit)) {
        error = "skip= expects a number, not \"" + std::string(value) + "\"";
        return std::nullopt;
    }
    std::uint64_t count = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (char c : value) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        count = count > (kMax - digit) / 10 ? kMax : count * 10 + digit;
    }
    if (count == 0) {
        error = "skip=0 is not allowed";
        return std::nullopt;
    }
    return count;
}

}  // namespace

std::optional<ForOptions> ParseForOptions(std::string_view text, std::string& error) {
    ForOptions options;
    std::size_t pos = SkipBlanks(text, 0);
    while (pos < text.size()) {
        const KeywordMatch match = MatchKeyword(text.substr(pos));
        if (match.keyword == Keyword::None) {
            error = "unknown for /f option \"" +
                    std::string(text.substr(pos, WordEnd(text, pos) - pos)) + "\"";
            return std::nullopt;
        }
        pos += match.length;
        switch (match.keyword) {
            case Keyword::Delims:
                options.delimiters = ReadDelimiters(text, pos);
                break;
            case Keyword::Eol:
                if (pos < text.size()) {
                    const std::size_t length = Utf8CharLengthAt(text, pos);
                    options.eol = std::string(text.substr(pos, length));
                    pos += length;
                } else {
                    options.eol.reset();
                }
                break;
            case Keyword::Tokens: {
                const std::size_t end = WordEnd(text, pos);
                const auto plan = ParseTokenList(text.substr(pos, end - pos), error);
                if (!plan) return std::nullopt;
                options.tokens = *plan;
                pos = end;
                break;
            }
            case Keyword::Skip: {
                const std::size_t end = WordEnd(text, pos);
                const auto skip = ReadSkip(text.substr(pos, end - pos), error);
                if (!skip) return std::nullopt;
                options.skip = *skip;
                pos = end;
                break;
            }
            case Keyword::UseBackQ:
                options.usebackq = true;
                break;
            case Keyword::None:
                break;
        }
        pos = SkipBlanks(text, pos);
    }
    return options;
}

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
