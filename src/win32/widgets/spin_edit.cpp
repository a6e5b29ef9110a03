#include "win32/widgets/spin_edit.h"

#include <commctrl.h>

#include <string>
#include <type_traits>

#include "settings/intervals.h"

namespace vr::win32 {

namespace {

struct Spin {
    std::int32_t minimum, increment;
};

void step(HWND edit, const Spin& spin, bool up) {
    char text[64] = "";
    GetWindowTextA(edit, text, sizeof text);
    SetWindowTextA(edit, spinStep(text, spin.minimum, spin.increment, up).c_str());
    SendMessageA(edit, EM_SETSEL, 0, -1);
}

// A typed character as the subclass procedure gets it: a UTF-16 unit, for the subclass makes the edit's
// messages Unicode (a key the ANSI message loop translated arrives converted). Taken whole, not cut to a byte,
// or characters such as U+2013 or U+2030 would pass for a control character or a digit.
bool accepted(WPARAM c) {
    static const WPARAM separator = [] {
        wchar_t buffer[8] = L".";
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8);
        return WPARAM(buffer[0]);
    }();
    if (c == '\r') return false;
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == separator || c < 32;
}

LRESULT CALLBACK spinProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const Spin& spin = *reinterpret_cast<const Spin*>(data);
    switch (message) {
    case WM_CHAR:
        if (!accepted(wParam)) {
            MessageBeep(0);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN) {
            step(edit, spin, wParam == VK_UP);
            return 0;
        }
        break;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == UDN_DELTAPOS) {
            step(edit, spin, reinterpret_cast<NMUPDOWN*>(lParam)->iDelta < 0);  // the up arrow gives -1
            return 1;  // the arrows keep no position of their own
        }
        break;
    case WM_NCDESTROY:
        delete &spin;
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}
static_assert(std::is_convertible_v<decltype(&spinProc), SUBCLASSPROC>,
              "called the system's way (stdcall on 32-bit x86)");

}  // namespace

HWND createSpinEdit(HWND parent, int id, const RECT& bounds, const char* text, std::int32_t minimum,
                    std::int32_t increment, int dpi) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                bounds.left, bounds.top, width, height, parent, HMENU(INT_PTR(id)), instance,
                                nullptr);
    RECT client;
    GetClientRect(edit, &client);
    const int arrows = MulDiv(15, dpi, 96);
    SendMessageA(edit, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, arrows));
    CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, client.right - arrows, 0, arrows, client.bottom,
                    edit, nullptr, instance, nullptr);
    SetWindowSubclass(edit, spinProc, 0, reinterpret_cast<DWORD_PTR>(new Spin{minimum, increment}));
    return edit;
}

}  // namespace vr::win32
