// TrmTrayIcon: the program's icon in the notification area. It keeps the icon's fields, fills the shell's record
// afresh for every call, and answers the messages its own hidden window hears. The platform side (the window, the
// shell, the menu) sits behind the TrayShell and TrayWindow ports.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "ports.h"

namespace vr {

inline constexpr unsigned kTrayIconId = 1;
inline constexpr std::size_t kTrayTipLength = 62;

// The tooltip as the icon keeps it: up to 62 characters whole, a longer text cut to its first 62.
std::string trayTip(std::string_view text);

class TrmTrayIcon {
public:
    // Hides the application's taskbar window at once (ShowApp false).
    TrmTrayIcon(TrayShell& shell, TrayWindow& window);
    ~TrmTrayIcon();  // removes the icon
    TrmTrayIcon(const TrmTrayIcon&) = delete;
    TrmTrayIcon& operator=(const TrmTrayIcon&) = delete;

    bool Active() const { return active_; }
    void setActive(bool on);  // true adds the icon, false removes it; an unchanged value does nothing
    IconHandle Icon() const { return icon_; }
    void setIcon(IconHandle icon);   // a different picture modifies the icon
    void loadIcon(IconHandle icon);  // the picture given at creation, before the tooltip: no shell call
    const std::string& ToolTip() const { return tip_; }
    void setToolTip(std::string_view text);  // modifies the icon
    bool ShowApp() const { return showApp_; }
    void setShowApp(bool show);  // shows or hides the application's taskbar window, even when unchanged

    MenuHandle PopupMenu = 0;  // not owned; 0: a right click shows no menu
    std::function<void()> OnClick, OnDblClick;
    std::function<void(ScreenPoint)> OnRightClick;  // after the menu, with the pointer's position

    // What the icon's window hears.
    void leftButtonUp();
    void leftDoubleClick();
    void rightButtonUp();
    void tipMessage() { setToolTip(tip_); }
    // The shell's taskbar was created again (the shell restarted) and has forgotten the icon.
    void taskbarCreated();
    void retryTick();

    TrayRecord record();  // the record as the shell gets it now

private:
    bool add();
    bool modify();
    // Adds the icon, or finds it there already; until the shell has it, the icon keeps trying.
    void place();

    TrayShell& shell_;
    TrayWindow& window_;
    bool active_ = false;
    bool retrying_ = false;
    IconHandle icon_ = 0;
    std::string tip_;
    bool showApp_ = true;
};

// The main window's icon as the window's components are created: active (so the first add has no picture and no
// tip), the picture, the menu, no taskbar button, the tooltip last, and the show step on a double click.
void setUpSysTray(TrmTrayIcon& sysTray, IconHandle picture, MenuHandle menu, std::function<void()> showStep);

}  // namespace vr
