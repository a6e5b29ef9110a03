#include "win32/windows/tray_window.h"

#include <shellapi.h>

#include <cstddef>

#include "model/menus.h"
#include "win32/windows/win32_util.h"
#include "win32/windows/window_object.h"

namespace vr::win32 {

namespace {

// The shell gets the second form of the icon record (cbSize NOTIFYICONDATAW_V2_SIZE, every shell since Windows
// 2000), the first that carries a balloon; its size differs per target. Without NIM_SETVERSION the icon's
// messages stay those of the first form. The tip keeps 62 characters, the balloon's text 255.
#if defined(_WIN64)
static_assert(NOTIFYICONDATAW_V2_SIZE == 952 && offsetof(NOTIFYICONDATAW, szTip) == 40);
#else
static_assert(NOTIFYICONDATAW_V2_SIZE == 936 && offsetof(NOTIFYICONDATAW, szTip) == 24);
#endif
static_assert(NOTIFYICONDATAW_V2_SIZE == offsetof(NOTIFYICONDATAW, guidItem) && kTrayTipLength < 128);

constexpr UINT kCallbackMessage = WM_USER + 1;  // the shell reports the mouse on the icon with it
constexpr UINT kTipMessage = WM_USER + 2;       // applies the tooltip again
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMs = 2000;

bool notify(DWORD action, const TrayRecord& record) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = reinterpret_cast<HWND>(record.window);
    data.uID = record.id;
    data.uFlags = (record.hasCallback ? NIF_MESSAGE : 0) | (record.hasIcon ? NIF_ICON : 0) |
                  (record.hasTip ? NIF_TIP : 0) | (record.hasInfo ? NIF_INFO : 0);
    data.hIcon = reinterpret_cast<HICON>(record.icon);
    lstrcpynW(data.szTip, widen(record.tip).c_str(), std::size(data.szTip));
    lstrcpynW(data.szInfo, widen(record.info).c_str(), std::size(data.szInfo));
    lstrcpynW(data.szInfoTitle, widen(record.infoTitle).c_str(), std::size(data.szInfoTitle));
    data.dwInfoFlags = NIIF_INFO;
    data.uCallbackMessage = kCallbackMessage;
    return Shell_NotifyIconW(action, &data) != FALSE;
}

}  // namespace

TrayIconWindow::TrayIconWindow(HINSTANCE instance, HWND application, HWND commands, int usualIcon, int litIcon)
    : application_(application), commands_(commands), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
    registerWindowClass(instance, kTrayWindowClass, objectWindowProc<TrayIconWindow>);
    CreateWindowExA(WS_EX_TOOLWINDOW, kTrayWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    const int resources[2] = {usualIcon, litIcon};
    for (int i = 0; i < 2; ++i)
        pictures_[i] = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(resources[i]), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    icon_.emplace(static_cast<TrayShell&>(*this), static_cast<TrayWindow&>(*this),
                  reinterpret_cast<IconHandle>(pictures_[0]), reinterpret_cast<IconHandle>(pictures_[1]));
}

TrayIconWindow::~TrayIconWindow() {
    icon_.reset();
    DestroyWindow(window_);
    for (HICON picture : pictures_)
        if (picture) DestroyIcon(picture);
}

LRESULT TrayIconWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!icon_) return DefWindowProcA(window_, message, wParam, lParam);
    if (message == kCallbackMessage) {
        // The first form of the record gets the mouse message itself; keyboard use arrives as a right click.
        switch (lParam) {
        case WM_LBUTTONUP: icon_->leftButtonUp(); break;
        case WM_LBUTTONDBLCLK: icon_->leftDoubleClick(); break;
        case WM_RBUTTONUP: icon_->rightButtonUp(); break;
        }
        return 0;
    }
    if (message == kTipMessage) {
        icon_->tipMessage();
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        icon_->taskbarCreated();
        return 0;
    }
    if (message == WM_CLOSE) {
        // Another program asked the icon's window to close: without it the program would be out of reach.
        if (onClose) onClose();
        return 0;
    }
    if (message == WM_TIMER && wParam == kRetryTimer) {
        icon_->retryTick();
        return 0;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

bool TrayIconWindow::add(const TrayRecord& record) { return notify(NIM_ADD, record); }
bool TrayIconWindow::modify(const TrayRecord& record) { return notify(NIM_MODIFY, record); }
bool TrayIconWindow::remove(const TrayRecord& record) { return notify(NIM_DELETE, record); }

void TrayIconWindow::postTipMessage() { PostMessageA(window_, kTipMessage, 0, 0); }

void TrayIconWindow::retryTimer(bool on) {
    if (on) SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
    else KillTimer(window_, kRetryTimer);
}

void TrayIconWindow::showApplication(bool show) { ShowWindow(application_, show ? SW_SHOW : SW_HIDE); }

ScreenPoint TrayIconWindow::cursor() {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

void TrayIconWindow::popUp(MenuHandle menu, ScreenPoint at) {
    if (tracking_) return;  // a click that arrived while the menu was being opened
    tracking_ = true;
    const HWND before = GetForegroundWindow();
    // The menu's owner must be in front, or the menu stays up when the user clicks elsewhere.
    SetForegroundWindow(window_);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {  // the program is ending: leave that to the main loop
            PostQuitMessage(static_cast<int>(msg.wParam));
            tracking_ = false;
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    const int command = TrackPopupMenu(reinterpret_cast<HMENU>(menu),
                                       TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y,
                                       0, window_, nullptr);
    PostMessageA(window_, WM_NULL, 0, 0);  // lets the menu close properly the next time it is open
    tracking_ = false;
    if (command) SendMessageA(commands_, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    // When no window of ours came to the front, the keyboard goes back to where it was (the taskbar, after
    // the shell's keyboard access to the icons).
    if (GetForegroundWindow() == window_ && before && before != window_ && IsWindow(before))
        SetForegroundWindow(before);
}

HMENU createTrayMenu() {
    HMENU menu = CreatePopupMenu();
    for (const MenuItem& item : trayMenu()) {
        if (item.separator()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(item.command), item.caption.c_str());
        if (item.isDefault) SetMenuDefaultItem(menu, static_cast<UINT>(item.command), FALSE);
    }
    return menu;
}

}  // namespace vr::win32
