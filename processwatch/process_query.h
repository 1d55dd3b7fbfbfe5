// "Is a process with this description running?" and the gate built on it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime.h"

namespace morvane {

// The 16-bit truth values the query answers with.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// True when some running process's description, upper-cased, is found inside
// the upper-cased `szExeFileName`. The description is the text sought, so
// "md.exe" and an empty description match "cmd.exe", and "cmdtool.exe" does
// not. Any failure to get the process list answers false.
std::int16_t CheckApplicationIsRun(SystemServices& system, const std::string& szExeFileName);

// The same rule for one description.
bool DescriptionMatches(const std::string& description, const std::string& szExeFileName);

enum class Gate { Open, Blocked };

// Refuses an action while a command interpreter runs: shows the notice and
// answers Blocked when the query answers exactly true; silent otherwise.
Gate InterpreterGate(Controls& controls, SystemServices& system);

}  // namespace morvane
