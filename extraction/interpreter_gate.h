// "Is a process of this name running?", and the gate built on it
// that refuses the Start and file-choosing actions while a cmd.exe runs.
#pragma once

#include <string>

#include "platform/runtime.h"

namespace morvane {

// True when some running process's name equals `exeName`, letter case
// aside ("CMD.EXE" and "Cmd.exe" are "cmd.exe"; "md.exe", "exe" or an empty
// name are not). Any failure to get the process list answers false.
bool IsProcessRunning(SystemServices& system, const std::string& exeName);

// The same rule for one name.
bool ProcessNameMatches(const std::string& name, const std::string& wanted);

enum class Gate { Open, Blocked };

// Refuses an action while a command interpreter runs: shows the notice and
// answers Blocked when a command interpreter runs; silent otherwise.
Gate InterpreterGate(Controls& controls, SystemServices& system);

}  // namespace morvane
