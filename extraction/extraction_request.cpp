#include "extraction/extraction_request.h"

namespace morvane {

namespace {
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::optional<std::int16_t> ParseFieldNumber(const std::string& text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    std::int16_t value = 0;
    for (char c : text) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        value = static_cast<std::int16_t>(value * 10 + (c - '0'));
    }
    return value;
}

std::string FieldNumberText(std::int16_t fieldNumber) { return std::to_string(fieldNumber); }

std::string DoublePercents(const std::string& text) {
    std::string doubled;
    doubled.reserve(text.size());
    for (char c : text) {
        doubled += c;
        if (c == '%') doubled += '%';
    }
    return doubled;
}

std::string QuotedPath(const std::string& path) { return '"' + DoublePercents(path) + '"'; }

namespace {

// The output is redirected once, before the block, so it is opened once for
// the whole loop rather than once per value. ">>" rather than ">": nothing
// is at the output path when a run starts, and should a file appear there
// meanwhile, appending never truncates it.
std::string RedirectionOf(const std::string& outputPath) { return ">>" + QuotedPath(outputPath); }

// The end-of-line character is the delimiter itself. for /f passes over a
// line whose first token starts with the end-of-line character (";" unless
// set), and it looks only after skipping the line's leading delimiters:
// ReactOS's command interpreter, which reproduces the Windows one's for /f
// quirks and is checked against Windows-validated tests, does exactly that
// (base/shell/cmd/for.c, ForF: the leading delimiters are skipped, then the
// eol test is made). So no line can start with this character once its
// leading delimiters are gone, and no line is dropped for it. It comes
// before delims=, which runs to the closing quote (a space delimiter).
//
// A blank delimiter (a space, a tab) makes "eol= " or "eol=<TAB>". Windows
// takes the one character after "eol=" whatever it is: widely used Windows
// scripts write "eol= tokens=1,* delims=:" (andry81/contools among them), and
// ReactOS's ForF does the same (Eol = *Param). Wine 10's cmd.exe does not: it
// refuses a blank there as a syntax error (programs/cmd/wcmdmain.c,
// for_fileset_option_split), so under Wine a blank delimiter cannot run.
std::string EndOfLineOption(const std::string& delimiter) {
    return " eol=" + DoublePercents(delimiter);
}

}  // namespace

std::string ComposeScriptLine(const ExtractionRequest& request) {
    return (request.loopInUtf8 ? kUtf8CodePageCommand : "") + RedirectionOf(request.outputPath) +
           request.tokensClause + FieldNumberText(request.fieldNumber) +
           EndOfLineOption(request.delimiter) + request.delimsClause +
           DoublePercents(request.delimiter) + request.inClause + QuotedPath(request.sourcePath) +
           request.echoClause;
}

}  // namespace morvane
