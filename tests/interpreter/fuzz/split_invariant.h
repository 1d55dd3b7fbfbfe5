// The invariant the fuzzer checks, shared with the corpus replay test: the
// interpreter's splitters agree with a plain character-by-character
// reference, and every value written is a piece of its source line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/encoding.h"
#include "interpreter/line_values.h"
#include "interpreter/split_rules.h"

namespace morvane::interp::testing {

// The encoding the rules give a whole file, and its byte-order mark length.
Encoding ReferenceEncoding(std::string_view file, std::size_t& markLength);

// Content ranges (line breaks excluded) of the file's lines.
std::vector<ByteRange> ReferenceLines(std::string_view file, Encoding encoding,
                                      std::size_t markLength);

// The variables' values for one line (nothing where a variable got no token),
// or an empty vector when the body would not run for it.
std::vector<std::optional<ByteRange>> ReferenceSplit(std::string_view file, ByteRange line,
                                                     const SplitRules& rules);

// Compares LineSplitter (whole lines, and lines fed in pieces of `piece`
// bytes) and, where it applies, BitmaskSplitter with the reference on every
// line of the file. Answers a description of the first difference, or "".
std::string CompareSplitters(std::string_view file, const SplitRules& rules, std::size_t piece);

// One fuzz input: the first byte picks the read-buffer size and the mode, the
// text up to the first LF is the for /f options (or, in parser mode, all of it
// is a script line), the rest is the source file. Runs the script in
// `workFolder` and checks the output. Answers "" or what went wrong.
std::string CheckFuzzInput(const std::uint8_t* data, std::size_t size,
                           const std::string& workFolder);

}  // namespace morvane::interp::testing
