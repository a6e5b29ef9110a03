#include "win32/widgets/led_window.h"

#include <type_traits>

#include "win32/windows/win32_util.h"

namespace vr::win32 {

namespace {

constexpr char kClass[] = "TVrLed";  // the window class, as other programs see it

// What the window draws from.
struct Lamp {
    vr::Led* model;
    const Backdrop* backdrop;
    int dpi;
};

COLORREF colorOf(Color c) { return COLORREF(c); }  // both are 0x00BBGGRR

void paint(HWND window, const Lamp& led) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    led.backdrop->fill(window, dc, client);
    // A face of 13 x 3 with a one-pixel black outline, centred.
    const int w = MulDiv(15, led.dpi, 96), h = MulDiv(5, led.dpi, 96), edge = MulDiv(1, led.dpi, 96);
    RECT lamp{(client.right - w) / 2, (client.bottom - h) / 2, 0, 0};
    lamp.right = lamp.left + w;
    lamp.bottom = lamp.top + h;
    FillRect(dc, &lamp, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&lamp, -edge, -edge);
    HBRUSH face = CreateSolidBrush(colorOf(led.model->face()));
    FillRect(dc, &lamp, face);
    DeleteObject(face);
    EndPaint(window, &ps);
}

LRESULT CALLBACK ledProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* led = reinterpret_cast<Lamp*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* created = static_cast<Lamp*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Lamp(*created)));
        break;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        if (led) {
            paint(window, *led);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        if (led) led->model->redraw = nullptr;
        delete led;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
static_assert(std::is_convertible_v<decltype(&ledProc), WNDPROC>, "called the system's way (stdcall on 32-bit x86)");

}  // namespace

HWND createLedWindow(HWND parent, int id, const RECT& bounds, vr::Led& model, const Backdrop& backdrop, int dpi) {
    registerWindowClass(GetModuleHandleA(nullptr), kClass, ledProc, 0, nullptr);
    Lamp led{&model, &backdrop, dpi};
    HWND window = CreateWindowExA(0, kClass, "", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                                  bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                  HMENU(INT_PTR(id)), GetModuleHandleA(nullptr), &led);
    model.redraw = [window] { InvalidateRect(window, nullptr, FALSE); };
    return window;
}

}  // namespace vr::win32
