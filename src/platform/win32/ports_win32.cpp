#include "platform/win32/ports_win32.h"

#include "ui/main_form.h"

namespace vr::win32 {

int SystemKeyboard::platformId() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) ? int(info.dwPlatformId) : -1;
}

void TopLevelWindows::sysCommand(WindowHandle window, unsigned command) {
    // A hung or prompting target must not freeze the flashing: give up after a second.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(reinterpret_cast<HWND>(window), WM_SYSCOMMAND, command, 0, SMTO_ABORTIFHUNG, 1000,
                        &result);
}

namespace {

// The boxes carry the program's own button texts whatever the system's language: a CBT hook renames the
// buttons when the box is activated.
HHOOK g_hook;

LRESULT CALLBACK renameButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        char cls[16] = "";
        GetClassNameA(box, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") == 0) {
            if (HWND b = GetDlgItem(box, IDYES)) SetWindowTextA(b, "&Yes");
            if (HWND b = GetDlgItem(box, IDNO)) SetWindowTextA(b, "&No");
            if (HWND b = GetDlgItem(box, IDOK)) SetWindowTextA(b, "OK");
            UnhookWindowsHookEx(g_hook);
            g_hook = nullptr;
            return 0;
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

int show(HWND owner, const std::string& text, const char* caption, UINT type) {
    g_hook = SetWindowsHookExA(WH_CBT, renameButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxA(owner, text.c_str(), caption, type | MB_SETFOREGROUND);
    if (g_hook) UnhookWindowsHookEx(g_hook), g_hook = nullptr;
    return answer;
}

}  // namespace

bool MessageDialogs::confirm(const std::string& text) {
    return show(owner_, text, "Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
}
void MessageDialogs::error(const std::string& text) { show(owner_, text, "Error", MB_OK | MB_ICONERROR); }
void MessageDialogs::warning(const std::string& text) { show(owner_, text, "Warning", MB_OK | MB_ICONWARNING); }
void MessageDialogs::exception(const std::string& text) { show(owner_, text, kTitle, MB_OK | MB_ICONSTOP); }

}  // namespace vr::win32
