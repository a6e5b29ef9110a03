// One C++ object per window: the object given as CreateWindowEx's creation parameter is kept in the window's
// user data, learns its handle at WM_NCCREATE and receives every later message through its onMessage. The few
// messages that come before WM_NCCREATE go to the default procedure.
#pragma once
#include <windows.h>

namespace vr::win32 {

template <class T>
LRESULT CALLBACK objectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return self ? self->onMessage(message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vr::win32
