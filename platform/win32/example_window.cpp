#include "platform/win32/example_window.h"

#include "platform/win32/control_ids.h"
#include "platform/win32/form_builder.h"

namespace morvane::win32 {

namespace {

// What one shown example window keeps.
struct ExampleWindowState {
    HWND owner = nullptr;
    BuiltForm built;
};

void Close(HWND window, ExampleWindowState& state) {
    // The owner is enabled before the window goes, so that the activation
    // returns to it.
    EnableWindow(state.owner, TRUE);
    DestroyWindow(window);
}

LRESULT CALLBACK ExampleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ExampleWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case DM_GETDEFID:
            return MAKELRESULT(ControlId(Control::ExampleCloseButton), DC_HASDEFID);
        case WM_COMMAND:
            if (state && LOWORD(wParam) == ControlId(Control::ExampleCloseButton) &&
                HIWORD(wParam) == BN_CLICKED) {
                Close(window, *state);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC: {
            COLORREF colour = 0;
            if (state && state->built.TextColour(reinterpret_cast<HWND>(lParam), colour)) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, colour);
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        }
        case WM_PAINT: {
            // ExampleFrame: a one-pixel frame along the edge of the client area.
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT client;
            GetClientRect(window, &client);
            HBRUSH border = CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT));
            FrameRect(dc, &client, border);
            DeleteObject(border);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_CLOSE:
            if (state) Close(window, *state);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterExampleWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ExampleWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kExampleWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

void ShowExampleWindowModal(HINSTANCE instance, HWND owner) {
    const FormSpec& layout = ExampleWindowLayout();
    const int dpi = ScreenDpi();
    const int width = TwipsToPixels(layout.clientWidth, dpi);
    const int height = TwipsToPixels(layout.clientHeight, dpi);

    // Centred on the main window; no border, so the client area is the
    // whole window.
    RECT ownerRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &ownerRect);
    const int left = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
    const int top = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;

    ExampleWindowState state;
    state.owner = owner;
    HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, kExampleWindowClass, L"Form2",
                                  WS_POPUP | WS_CLIPCHILDREN, left, top, width, height, owner,
                                  nullptr, instance, &state);
    if (!window) return;
    state.built.Build(window, layout, dpi);

    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    if (HWND first = state.built.FirstTabStop()) SetFocus(first);

    MSG message;
    while (IsWindow(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (IsWindow(window)) Close(window, state);
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

}  // namespace morvane::win32
