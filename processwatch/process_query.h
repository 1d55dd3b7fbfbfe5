// "Is a process with this description running?" and the gate built on it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime.h"

namespace morvane {

// The 16-bit truth values the query answers with.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// True when some running process's description equals `processName`,
// letter case aside ("CMD.EXE" and "Cmd.exe" are "cmd.exe"; "md.exe", "exe"
// or an empty description are not). Any failure to get the process list
// answers false.
std::int16_t CheckApplicationIsRun(SystemServices& system, const std::string& processName);

// The same rule for one description.
bool DescriptionMatches(const std::string& description, const std::string& processName);

enum class Gate { Open, Blocked };

// Refuses an action while a command interpreter runs: shows the notice and
// answers Blocked when the query answers exactly true; silent otherwise.
Gate InterpreterGate(Controls& controls, SystemServices& system);

}  // namespace morvane
