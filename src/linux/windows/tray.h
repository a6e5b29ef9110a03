// The tray icon on Linux: QSystemTrayIcon (a StatusNotifierItem where the desktop hosts them, an XEmbed icon in
// a system tray otherwise), the pop-up menu built from its table, and the show step on a double click.
#pragma once
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>

#include "ports.h"

namespace vr::lx {

class Tray final : public TrayIcon {
public:
    // command: runs a menu command (a double click runs the menu's default one, the show step).
    explicit Tray(std::function<void(int)> command);
    ~Tray() override;
    Tray(const Tray&) = delete;
    Tray& operator=(const Tray&) = delete;

    // TrayIcon. A desktop whose tray is not there yet (still starting) gets the icon once it is.
    void show(TrayPicture picture, const std::string& tip) override;
    void remove() override;
    void notify(const std::string& text) override;

    // The picture it shows now, for the tests' eyes.
    TrayPicture picture() const { return picture_; }

private:
    void place();  // shows the icon where a tray takes it, or keeps trying

    QSystemTrayIcon tray_;
    QIcon pictures_[2];  // usual, lit: every size the tray may draw
    QMenu menu_;
    QTimer retry_;
    bool wanted_ = false;
    TrayPicture picture_ = TrayPicture::usual;
    std::function<void(int)> command_;
};

}  // namespace vr::lx
