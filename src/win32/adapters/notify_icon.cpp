#include "win32/adapters/notify_icon.h"

#include "model/texts.h"

namespace vr::win32 {

std::string trayTip(std::string_view text) { return std::string(text.substr(0, kTrayTipLength)); }

NotifyIcon::NotifyIcon(TrayShell& shell, TrayWindow& window, IconHandle usual, IconHandle lit)
    : shell_(shell), window_(window), pictures_{usual, lit} {
    setShowApp(false);
}

NotifyIcon::~NotifyIcon() { remove(); }

TrayRecord NotifyIcon::record() {
    return {window_.handle(), kTrayIconId, /*hasCallback=*/true, /*hasIcon=*/true, /*hasTip=*/true,
            /*hasInfo=*/false, icon_, tip_, {}, {}};
}

bool NotifyIcon::add() {
    const bool added = shell_.add(record());
    // The shell may have shown the icon without its tip: apply the tip again once the message loop runs.
    if (tip_.empty()) window_.postTipMessage();
    return added;
}

bool NotifyIcon::modify() {
    if (!active_) return true;
    return shell_.modify(record());
}

void NotifyIcon::place() {
    // An add that fails may still have shown the icon (the shell timed out at log-on), so a modify that succeeds
    // means it is there. Otherwise the shell is not ready yet, and without its icon the program is out of reach.
    const bool there = add() || shell_.modify(record());
    if (!there && !retrying_) window_.retryTimer(retrying_ = true);
    else if (there && retrying_) window_.retryTimer(retrying_ = false);
}

void NotifyIcon::setActive(bool on) {
    if (on == active_) return;
    active_ = on;
    if (on) return place();
    if (retrying_) {
        retrying_ = false;
        window_.retryTimer(false);
    }
    shell_.remove(record());
}

void NotifyIcon::setPicture(IconHandle icon) {
    if (icon == icon_) return;
    icon_ = icon;
    modify();
}

void NotifyIcon::setTip(std::string_view text) {
    tip_ = trayTip(text);
    modify();
}

void NotifyIcon::setShowApp(bool show) { window_.showApplication(show); }

void NotifyIcon::show(TrayPicture picture, const std::string& tip) {
    const IconHandle wanted = pictures_[picture == TrayPicture::lit ? 1 : 0];
    if (!active_) {
        setActive(true);
        icon_ = wanted;  // given with the tip that follows, in one call
        setShowApp(false);
        return setTip(tip);
    }
    setPicture(wanted);
    if (trayTip(tip) != tip_) setTip(tip);
}

void NotifyIcon::remove() { setActive(false); }

void NotifyIcon::notify(const std::string& text) {
    if (!active_) return;
    TrayRecord balloon = record();
    balloon.hasCallback = balloon.hasIcon = balloon.hasTip = false;
    balloon.hasInfo = true;
    balloon.info = text;
    balloon.infoTitle = kTitle;
    shell_.modify(balloon);
}

void NotifyIcon::leftButtonUp() {
    if (onClick) onClick();
}

void NotifyIcon::leftDoubleClick() {
    if (onDoubleClick) onDoubleClick();
}

void NotifyIcon::rightButtonUp() {
    const ScreenPoint at = window_.cursor();
    if (popupMenu) window_.popUp(popupMenu, at);
}

void NotifyIcon::taskbarCreated() {
    if (active_) place();
}

void NotifyIcon::retryTick() {
    if (active_ && retrying_) place();
}

}  // namespace vr::win32
