// TrmTrayIcon on Linux: QSystemTrayIcon (a StatusNotifierItem where the desktop hosts them, an XEmbed icon in
// a system tray otherwise) as the icon's shell and window, and the pop-up menu built from its table.
#pragma once
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <optional>

#include "form/tray_icon.h"

namespace vr::lx {

class Tray final : private TrayShell, private TrayWindow {
public:
    // command: runs a menu command; the icon is hidden until the form's set-up gives it its picture.
    explicit Tray(std::function<void(int)> command);
    ~Tray() override;
    Tray(const Tray&) = delete;
    Tray& operator=(const Tray&) = delete;

    TrmTrayIcon& icon() { return *icon_; }
    IconHandle picture() { return reinterpret_cast<IconHandle>(&picture_); }
    MenuHandle menu() { return reinterpret_cast<MenuHandle>(&menu_); }
    bool shown() const { return tray_.isVisible(); }

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void apply(const TrayRecord& record);

    // TrayShell
    bool add(const TrayRecord& record) override;
    bool modify(const TrayRecord& record) override;
    bool remove(const TrayRecord& record) override;
    // TrayWindow
    WindowHandle handle() override { return reinterpret_cast<WindowHandle>(&tray_); }
    void postTipMessage() override;
    void retryTimer(bool on) override;
    void showApplication(bool) override {}  // no taskbar window of its own: the main window shows itself
    ScreenPoint cursor() override;
    void popUp(MenuHandle menu, ScreenPoint at) override;

    QSystemTrayIcon tray_;
    QIcon picture_;
    QMenu menu_;
    QTimer retry_;
    bool added_ = false;
    std::optional<TrmTrayIcon> icon_;
};

}  // namespace vr::lx
