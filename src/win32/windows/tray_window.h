// TrmTrayIcon on Win32: the icon's own hidden window, Shell_NotifyIconA and the pop-up menu. The window is a
// real top-level one, never shown, so that it also hears the shell's "TaskbarCreated" broadcast.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>

#include "win32/adapters/notify_icon.h"

namespace vr::win32 {

inline constexpr char kTrayWindowClass[] = "TrmTrayIcon";

class TrayIconWindow final : private TrayShell, private TrayWindow {
public:
    // application: the application's taskbar window. commands: the window the menu's commands go to. The
    // pictures are icon resources, drawn at the small icon size: the usual one and the lit one.
    TrayIconWindow(HINSTANCE instance, HWND application, HWND commands, int usualIcon, int litIcon);
    ~TrayIconWindow() override;  // removes the icon, destroys the window, frees the picture
    TrayIconWindow(const TrayIconWindow&) = delete;
    TrayIconWindow& operator=(const TrayIconWindow&) = delete;

    NotifyIcon& icon() { return *icon_; }
    std::function<void()> onClose;  // a close request reached the icon's window

private:
    template <class T>
    friend LRESULT CALLBACK objectWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // TrayShell
    bool add(const TrayRecord& record) override;
    bool modify(const TrayRecord& record) override;
    bool remove(const TrayRecord& record) override;
    // TrayWindow
    WindowHandle handle() override { return reinterpret_cast<WindowHandle>(window_); }
    void postTipMessage() override;
    void retryTimer(bool on) override;
    void showApplication(bool show) override;
    ScreenPoint cursor() override;
    void popUp(MenuHandle menu, ScreenPoint at) override;

    HWND window_ = nullptr;
    HWND application_;
    HWND commands_;
    UINT taskbarCreated_;
    HICON pictures_[2] = {};
    bool tracking_ = false;  // a menu is up
    std::optional<NotifyIcon> icon_;
};

// mnuSystemTray, built from its table, with the default item in bold.
HMENU createTrayMenu();

}  // namespace vr::win32
