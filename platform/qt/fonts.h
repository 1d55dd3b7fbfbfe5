// The faces the window layouts name, and the fonts that stand in for them on
// Linux.
#pragma once

#include <QFont>

#include "ui/layout.h"

namespace morvane::qt {

// Maps the Windows faces "宋体" and "楷体_GB2312" to AR PL UMing and AR PL
// UKai, a Song and a Kai face that Debian ships. Call once, before any window
// is built.
void InstallFontSubstitutions();

// The windows' default font, used by every control without a font of its own
// (text boxes, most buttons): "宋体" at 9 points, the face and size a
// Simplified Chinese Windows gives dialog text.
QFont DefaultWindowFont();

// The font of a control: the face and size `font` names, or the default.
QFont FontFor(const FontSpec& font);

}  // namespace morvane::qt
