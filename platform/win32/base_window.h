// The one window procedure of the program's own windows. A window class
// derives from BaseWindow<Itself>, names its window class in kClassName and
// handles its messages in HandleMessage(message, wParam, lParam); the
// procedure finds the object from the window (stored at WM_NCCREATE) and
// forwards every message to it.
#pragma once

#include "platform/win32/windows_inc.h"

#include "platform/win32/unique_handle.h"

namespace morvane::win32 {

template <typename Derived>
class BaseWindow {
  public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    // The window; null before Create() and once the window is destroyed.
    HWND Window() const { return window_.get(); }

  protected:
    BaseWindow() = default;
    ~BaseWindow() { Destroy(); }

    // Registers Derived::kClassName for this procedure, once per process,
    // with the dialog background and the arrow pointer.
    static bool RegisterWindowClass(HINSTANCE instance, HICON icon = nullptr,
                                    HICON smallIcon = nullptr) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        if (GetClassInfoExW(instance, Derived::kClassName, &windowClass)) return true;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = icon;
        windowClass.hIconSm = smallIcon;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = Derived::kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }

    // Creates the window of this object (the class must be registered).
    // Messages sent during creation already reach HandleMessage.
    bool Create(HINSTANCE instance, const wchar_t* caption, DWORD style, DWORD exStyle, int left,
                int top, int width, int height, HWND owner) {
        return CreateWindowExW(exStyle, Derived::kClassName, caption, style, left, top, width,
                               height, owner, nullptr, instance, this) != nullptr;
    }

    // Detaches this object from its window and destroys the window. A
    // derived class whose controls use what it owns (fonts) calls this in
    // its destructor, so that the window goes first.
    void Destroy() {
        if (!window_) return;
        SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
        window_.reset();
    }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        BaseWindow* self = nullptr;
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            self = static_cast<BaseWindow*>(create->lpCreateParams);
            self->window_.reset(window);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        const LRESULT result = static_cast<Derived*>(self)->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            // The window is gone, by whatever destroyed it: never touch its
            // handle again.
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            (void)self->window_.release();
        }
        return result;
    }

    UniqueWindow window_;
};

}  // namespace morvane::win32
