// How many values a run's output holds, counted after the run to hold it
// against the survey of the source.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/runtime.h"

namespace morvane {

// The lines of the output at `path`: each value is written as one line with
// CR LF, in the source's encoding (UTF-16, with its byte-order mark, for a
// UTF-16 source on Linux). Where `echoWritesParenthesis` (Wine's cmd.exe), a
// line of "(" alone is no value. Nothing when the file cannot be read.
std::optional<std::uint64_t> CountOutputValues(SystemServices& system, const std::string& path,
                                               bool echoWritesParenthesis);

}  // namespace morvane
