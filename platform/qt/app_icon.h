// The application icon, compiled into the program from
// resources/icon/pellorin-<size>.png.
#pragma once

#include <QIcon>

namespace morvane::qt {

// Every size that was compiled in; an empty icon when none was.
QIcon AppIcon();

}  // namespace morvane::qt
