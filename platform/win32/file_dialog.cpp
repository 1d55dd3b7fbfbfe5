#include "platform/win32/file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/utf.h"
#include "ui/file_choosing.h"

namespace morvane::win32 {

std::wstring DialogFilter(const std::string& filter) {
    std::wstring pairs;
    for (const FilterEntry& entry : ParseFilter(filter)) {
        pairs += Utf8ToWide(entry.description);
        pairs += L'\0';
        pairs += Utf8ToWide(entry.pattern);
        pairs += L'\0';
    }
    pairs += L'\0';
    return pairs;
}

std::optional<FileChoice> ShowFileDialog(HWND owner, FileDialogKind kind, const std::string& filter,
                                         int filterIndex) {
    const std::wstring pairs = DialogFilter(filter);
    std::vector<wchar_t> fileName(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = pairs.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(filterIndex);
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = static_cast<DWORD>(fileName.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const BOOL chosen =
        kind == FileDialogKind::Open ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (!chosen) return std::nullopt;
    return FileChoice{WideToUtf8(fileName.data()), static_cast<int>(dialog.nFilterIndex)};
}

}  // namespace morvane::win32
