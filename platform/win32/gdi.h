// Owners of GDI and USER handles.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/win32/windows_inc.h"

namespace morvane::win32 {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const {
        if (object) DeleteObject(object);
    }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const {
        if (icon) DestroyIcon(icon);
    }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// A window destroyed with its owner object (if it still exists then).
struct WindowDeleter {
    void operator()(HWND window) const {
        if (window && IsWindow(window)) DestroyWindow(window);
    }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

}  // namespace morvane::win32
