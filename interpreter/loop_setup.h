// A loop's delimiters, end-of-line character and echo text, put into the
// source's encoding.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interpreter/echo_template.h"
#include "interpreter/encoding.h"
#include "interpreter/line_splitter.h"
#include "interpreter/script_line.h"

namespace morvane::interp {

struct LoopSetup {
    SplitRules rules;
    std::vector<EchoPiece> pieces;  // literal text already in the source's encoding
    std::string lineBreak;
};

// Answers nothing, and says why, when a character has no equivalent in
// `encoding` (the script is GB18030, so it can name characters that a code
// page 936 source cannot hold).
std::optional<LoopSetup> SetUpLoop(const ForCommand& command, Encoding encoding,
                                   std::string& error);

}  // namespace morvane::interp
