// The names of the running programs, read from /proc.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvane::posix {

struct ProcStat {
    std::string name;  // the command name (comm), at most 15 bytes
    char state = '?';  // R, S, D, Z, …
    unsigned long flags = 0;
};

// Parses the text of /proc/PID/stat; the name may hold spaces and ")".
std::optional<ProcStat> ParseProcStat(const std::string& text);

// Whether a process of this status counts as a running program: kernel
// threads (one of them is named "md") and zombies do not.
bool CountsAsRunningProgram(const ProcStat& stat);

// Every running program's name. Answers nothing when /proc cannot be read.
std::optional<std::vector<std::string>> RunningProcessNames();

}  // namespace morvane::posix
