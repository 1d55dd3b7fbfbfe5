// The survey of a source after a successful run: how many of its lines gave
// no value, and how many gave the value of a later field than the one asked
// for, so that the success notice can say so.
#pragma once

#include <cstdint>
#include <optional>

#include "extraction/extraction_request.h"
#include "platform/runtime.h"

namespace morvane {

// What the interpreter's for /f loop made of a source's lines. It splits a
// line into tokens, the runs of characters between delimiters: leading
// delimiters are dropped and delimiters in a row count as one, so an empty
// field is no token at all and the token counted as field N may stand
// further along the line.
struct SourceSurvey {
    std::uint64_t lines = 0;              // every line the loop read
    std::uint64_t blankLines = 0;         // empty, or delimiters only: no data
    std::uint64_t linesWithoutField = 0;  // data, but fewer tokens than N: no value
    // Lines that gave a value although an empty field stood before or at
    // field N (a delimiter first, or two in a row): the value is a later
    // field's.
    std::uint64_t linesWithEmptyFieldBefore = 0;
    // Lines with data in which a quoted field (RFC 4180) at or before field
    // N holds the delimiter or runs on past the line end, and the lines such
    // a field runs on into: the interpreter cut it apart.
    std::uint64_t linesWithQuotedFieldCut = 0;
    // cmd.exe only: lines it read only up to a NUL byte in them, and lines of
    // 8,191 bytes or more, which it may not read whole.
    std::uint64_t linesCutAtNul = 0;
    std::uint64_t longLines = 0;
    // CRs with text after them and no line feed at all: to the interpreter
    // the whole file is one line.
    bool lineEndsAreCrOnly = false;

    std::uint64_t DataLines() const { return lines - blankLines; }
    std::uint64_t Values() const { return DataLines() - linesWithoutField; }
    bool operator==(const SourceSurvey&) const = default;
};

// Reads the request's source once, in pieces, and splits every line by the
// rules the command interpreter this platform starts splits by for the line
// ComposeScriptLine writes, up to `readUpTo` bytes when given (the size the
// source had when the run began). Answers nothing when the source cannot be
// read that far, or when what the interpreter made of it cannot be told for
// certain (a delimiter that has no form in the source's encoding).
std::optional<SourceSurvey> SurveySource(SystemServices& system, const ExtractionRequest& request,
                                         std::optional<std::uint64_t> readUpTo = std::nullopt);

}  // namespace morvane
