#include "platform/win32/example_window.h"

#include "platform/win32/utf.h"

namespace morvane::win32 {

ExampleWindow::ExampleWindow(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}

ExampleWindow::~ExampleWindow() { Destroy(); }

void ExampleWindow::ShowModal() {
    if (!RegisterWindowClass(instance_)) return;
    const FormSpec& layout = ExampleWindowLayout();
    const int dpi = ScreenDpi();
    const int width = TwipsToPixels(layout.clientWidth, dpi);
    const int height = TwipsToPixels(layout.clientHeight, dpi);

    // Centred on the main window; no border, so the client area is the
    // whole window.
    RECT ownerRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner_) GetWindowRect(owner_, &ownerRect);
    const ScreenPoint corner =
        CentredOn({ownerRect.left, ownerRect.top, ownerRect.right - ownerRect.left,
                   ownerRect.bottom - ownerRect.top},
                  width, height);

    const std::wstring caption = Utf8ToWide(layout.caption);
    if (!Create(instance_, caption.c_str(), WS_POPUP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                corner.x, corner.y, width, height, owner_)) {
        return;
    }
    form_.Build(Window(), layout, dpi);

    if (owner_) EnableWindow(owner_, FALSE);
    ShowWindow(Window(), SW_SHOW);
    UpdateWindow(Window());
    if (const std::optional<Control> first = FirstFocus(layout))
        SetFocus(form_.ControlHandle(*first));

    MSG message;
    while (Window()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (IsDialogMessageW(Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (Window()) Close();
    if (owner_) {
        EnableWindow(owner_, TRUE);
        SetActiveWindow(owner_);
    }
}

LRESULT ExampleWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case DM_GETDEFID:
            return DefaultButtonReply(ExampleWindowLayout());
        case WM_COMMAND:
            return OnCommand(wParam, lParam);
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(wParam, lParam);
        case WM_PAINT:
            return OnPaint();
        case WM_CLOSE:
            return OnClose();
        default:
            return DefWindowProcW(Window(), message, wParam, lParam);
    }
}

// The button, or Enter (the dialog manager sends the default button's id).
LRESULT ExampleWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == EN_CHANGE) form_.KeepWithinLength(reinterpret_cast<HWND>(lParam));
    if (HIWORD(wParam) == BN_CLICKED &&
        form_.ControlFromId(LOWORD(wParam)) == Control::ExampleCloseButton) {
        Close();
        return 0;
    }
    return DefWindowProcW(Window(), WM_COMMAND, wParam, lParam);
}

LRESULT ExampleWindow::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    if (HBRUSH background =
            form_.PaintStaticText(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
        return reinterpret_cast<LRESULT>(background);
    return DefWindowProcW(Window(), WM_CTLCOLORSTATIC, wParam, lParam);
}

// ExampleFrame: a one-pixel frame along the edge of the client area.
LRESULT ExampleWindow::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Window(), &paint);
    RECT client;
    GetClientRect(Window(), &client);
    const UniqueBrush border(CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT)));
    FrameRect(dc, &client, border.get());
    EndPaint(Window(), &paint);
    return 0;
}

LRESULT ExampleWindow::OnClose() {
    Close();
    return 0;
}

void ExampleWindow::Close() {
    // The owner is enabled before the window goes, so that the activation
    // returns to it.
    EnableWindow(owner_, TRUE);
    DestroyWindow(Window());
}

}  // namespace morvane::win32
