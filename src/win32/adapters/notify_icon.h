// The program's icon in the notification area on Windows: the shell's record, filled afresh for every call, and
// the bookkeeping of an icon the shell may forget (it restarts) or not take yet (it is still starting at log-on).
// Free of <windows.h>, so it is tested natively; the platform side (the icon's hidden window, the shell, the menu)
// sits behind the TrayShell and TrayWindow ports.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ports.h"

namespace vr::win32 {

using IconHandle = std::uintptr_t;  // an opaque icon picture; 0 is "no picture"
using MenuHandle = std::uintptr_t;  // an opaque pop-up menu; 0 is "no menu"

// What the shell keeps of a notification-area icon. The shell's tip field holds 64 characters with the
// terminator, its balloon's text 256.
struct TrayRecord {
    WindowHandle window = 0;  // hears the icon's mouse messages
    unsigned id = 0;
    bool hasCallback = false;  // which of the fields below the shell is to take
    bool hasIcon = false;
    bool hasTip = false;
    bool hasInfo = false;
    IconHandle icon = 0;
    std::string tip;
    std::string info, infoTitle;  // a balloon's text and title
    bool operator==(const TrayRecord&) const = default;
};

// The notification area. Each call returns whether the shell took it; an icon is known by its window and id.
class TrayShell {
public:
    virtual ~TrayShell() = default;
    virtual bool add(const TrayRecord& record) = 0;     // fails when the icon already exists or no shell runs
    virtual bool modify(const TrayRecord& record) = 0;  // fails when the icon does not exist
    virtual bool remove(const TrayRecord& record) = 0;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The icon's own hidden window, which hears the icon's messages, and the platform around it.
class TrayWindow {
public:
    virtual ~TrayWindow() = default;
    virtual WindowHandle handle() = 0;
    virtual void postTipMessage() = 0;            // comes back as the icon's tip message once the loop runs
    virtual void retryTimer(bool on) = 0;         // while on, ticks come back to the icon now and then
    virtual void showApplication(bool show) = 0;  // the application's taskbar window, and so its taskbar button
    virtual ScreenPoint cursor() = 0;
    // Pops the menu up with its top-left corner at the point, and runs the command chosen from it.
    virtual void popUp(MenuHandle menu, ScreenPoint at) = 0;
};

inline constexpr unsigned kTrayIconId = 1;
inline constexpr std::size_t kTrayTipLength = 62;

// The tooltip as the icon keeps it: up to 62 characters whole, a longer text cut to its first 62.
std::string trayTip(std::string_view text);

class NotifyIcon final : public TrayIcon {
public:
    // The pictures the icon shows, by the core's names. Hides the application's taskbar window at once.
    NotifyIcon(TrayShell& shell, TrayWindow& window, IconHandle usual, IconHandle lit);
    ~NotifyIcon() override;  // removes the icon
    NotifyIcon(const NotifyIcon&) = delete;
    NotifyIcon& operator=(const NotifyIcon&) = delete;

    // TrayIcon. The first show adds the icon as the shell first took it from this program: no picture and no
    // tip, then the picture and, last, the tip, which the shell is given once more when the message loop runs.
    void show(TrayPicture picture, const std::string& tip) override;
    void remove() override;
    void notify(const std::string& text) override;

    MenuHandle popupMenu = 0;  // not owned; 0: a right click shows no menu
    std::function<void()> onClick, onDoubleClick;

    // What the icon's window hears.
    void leftButtonUp();
    void leftDoubleClick();
    void rightButtonUp();
    void tipMessage() { setTip(tip_); }
    // The shell's taskbar was created again (the shell restarted) and has forgotten the icon.
    void taskbarCreated();
    void retryTick();

    TrayRecord record();  // the record as the shell gets it now

private:
    void setActive(bool on);  // true adds the icon, false removes it; an unchanged value does nothing
    void setPicture(IconHandle icon);
    void setTip(std::string_view text);
    void setShowApp(bool show);  // shows or hides the application's taskbar window, even when unchanged
    bool add();
    bool modify();
    // Adds the icon, or finds it there already; until the shell has it, the icon keeps trying.
    void place();

    TrayShell& shell_;
    TrayWindow& window_;
    IconHandle pictures_[2];
    bool active_ = false;
    bool retrying_ = false;
    IconHandle icon_ = 0;
    std::string tip_;
};

}  // namespace vr::win32
