#include "win32/windows/tray_window.h"

#include <shellapi.h>

#include <cstddef>

#include "form/tray_menu.h"
#include "win32/windows/win32_util.h"
#include "win32/windows/window_object.h"

namespace vr::win32 {

namespace {

// The shell gets the first form of the icon record (cbSize NOTIFYICONDATAA_V1_SIZE), which every shell reads;
// its size differs per target. Its tip holds 64 characters: the 62 the icon keeps and the null fit.
#if defined(_WIN64)
static_assert(NOTIFYICONDATAA_V1_SIZE == 104 && offsetof(NOTIFYICONDATAA, szTip) == 40);
#else
static_assert(NOTIFYICONDATAA_V1_SIZE == 88 && offsetof(NOTIFYICONDATAA, szTip) == 24);
#endif
static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + 64 && kTrayTipLength < 64);

constexpr UINT kCallbackMessage = WM_USER + 1;  // the shell reports the mouse on the icon with it
constexpr UINT kTipMessage = WM_USER + 2;       // applies the tooltip again
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMs = 2000;

bool notify(DWORD action, const TrayRecord& record) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = reinterpret_cast<HWND>(record.window);
    data.uID = record.id;
    data.uFlags = (record.hasCallback ? NIF_MESSAGE : 0) | (record.hasIcon ? NIF_ICON : 0) | (record.hasTip ? NIF_TIP : 0);
    data.hIcon = reinterpret_cast<HICON>(record.icon);
    lstrcpynA(data.szTip, record.tip.c_str(), sizeof data.szTip);
    data.uCallbackMessage = kCallbackMessage;
    return Shell_NotifyIconA(action, &data) != FALSE;
}

}  // namespace

TrayIconWindow::TrayIconWindow(HINSTANCE instance, HWND application, HWND commands)
    : application_(application), commands_(commands), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
    registerWindowClass(instance, kTrayWindowClass, objectWindowProc<TrayIconWindow>);
    CreateWindowExA(WS_EX_TOOLWINDOW, kTrayWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    icon_.emplace(static_cast<TrayShell&>(*this), static_cast<TrayWindow&>(*this));
}

TrayIconWindow::~TrayIconWindow() {
    icon_.reset();
    DestroyWindow(window_);
    if (picture_) DestroyIcon(picture_);
}

IconHandle TrayIconWindow::loadPicture(HINSTANCE instance, int resource) {
    if (picture_) DestroyIcon(picture_);
    picture_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(resource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    return reinterpret_cast<IconHandle>(picture_);
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
    for (const TrayMenuRow& row : trayMenuTable()) {
        if (!row.text) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(row.command), row.text);
        if (row.isDefault) SetMenuDefaultItem(menu, static_cast<UINT>(row.command), FALSE);
    }
    return menu;
}

}  // namespace vr::win32
