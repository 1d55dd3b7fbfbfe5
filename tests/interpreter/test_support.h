// Code-page texts and script runs for the interpreter tests; files and
// folders come from tests/support.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/files.h"

namespace morvane::interp::testing {

using morvane::testing::ReadFile;
using morvane::testing::TempDir;
using morvane::testing::WriteFile;

// UTF-8 text (as written in the tests) in code page 936, the encoding of a
// Chinese source file.
std::string Cp936(std::string_view utf8);

// UTF-8 text in GB18030, as Morvane writes its Linux scripts.
std::string Gb18030(std::string_view utf8);

struct ScriptRun {
    bool allRan = false;
    std::vector<std::string> messages;
};
// Runs script text given in UTF-8 (converted to GB18030 first).
ScriptRun RunScript(std::string_view utf8Script, std::size_t readBufferSize = 256 * 1024);

// The line Morvane writes for a source, output, delimiter and field.
std::string MorvaneLine(const std::string& source, const std::string& output,
                        std::string_view delimiter, int field);

// The read-buffer sizes end-to-end tests run with: tiny ones reach the
// long-line paths, the default one the fast path.
inline constexpr std::size_t kBufferSizes[] = {16, 37, 256 * 1024};

}  // namespace morvane::interp::testing
