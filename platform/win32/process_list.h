// The process list through Windows Management Instrumentation, by late-bound
// automation: bind "WinMgmts:", call instancesOf with "Win32_Process",
// enumerate the collection, read each instance's Description.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvane::win32 {

// The name of every running process, in the collection's order (UTF-8):
// each instance's Description, which is the executable's file name.
// Nothing when the service cannot be bound or the collection cannot be had.
// When one instance's Description cannot be read, the list ends there, with
// what was read before: a search that stops at the first failure has seen
// exactly those. COM must be initialised on the calling thread.
std::optional<std::vector<std::string>> RunningProcessNames();

}  // namespace morvane::win32
