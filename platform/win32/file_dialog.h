// The Open and Save dialogs of the common dialog library.
#pragma once

#include <optional>
#include <string>

#include "platform/runtime.h"
#include "platform/win32/windows_inc.h"

namespace morvane::win32 {

// The dialog's filter text: "description|pattern|…" turned into the
// NUL-separated pairs the dialog takes, ending in two NULs.
std::wstring DialogFilter(const std::string& filter);

// Shows the dialog owned by `owner` with `filterIndex` (1-based) selected
// first. Answers the chosen path and the filter entry left selected, or
// nothing when the user cancels (or the dialog cannot be shown).
std::optional<FileChoice> ShowFileDialog(HWND owner, FileDialogKind kind, const std::string& filter,
                                         int filterIndex);

}  // namespace morvane::win32
