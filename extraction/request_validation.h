// The checks the Start action runs on the four input boxes before anything is
// written or started.
#pragma once

#include "platform/runtime.h"

namespace morvane {

// Runs the seven checks in their fixed order. The first one that fails shows
// its notice (title "提示！"), moves the focus to the box to correct and
// answers false; no box is changed. Answers true when all pass.
bool ValidateRequest(Controls& controls, SystemServices& system);

// A path counts as existing when the file query finds a name for it.
bool FileMatches(SystemServices& system, const std::string& path);

}  // namespace morvane
