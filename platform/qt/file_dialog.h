// The Open and Save dialogs, behind a function the tests can replace.
#pragma once

#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "platform/runtime.h"

class QWidget;

namespace morvane::qt {

// Shows the Open or Save dialog over `parent` with the entries of a
// "description|pattern|…" filter, `filterIndex` (1-based) selected first.
// Answers the chosen path and the entry left selected, or nothing when the
// user cancels.
using FileDialogFunction = std::function<std::optional<FileChoice>(
    QWidget& parent, FileDialogKind kind, const std::string& filter, int filterIndex)>;

// Qt's name filters for a "description|pattern|…" filter. The description is
// kept as it stands; the patterns in the parentheses Qt matches by are the
// entry's pattern in both letter cases ("文本文档(*.txt)" matches *.txt and
// *.TXT), since Linux file names are case-sensitive and Windows' are not.
QStringList NameFilters(const std::string& filter);

// The dialog Qt draws itself (the same on every desktop, and the one the
// tests can drive).
std::optional<FileChoice> ShowQtFileDialog(QWidget& parent, FileDialogKind kind,
                                           const std::string& filter, int filterIndex);

}  // namespace morvane::qt
