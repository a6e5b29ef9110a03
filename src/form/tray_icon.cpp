#include "form/tray_icon.h"

#include "model/texts.h"

namespace vr {

std::string trayTip(std::string_view text) { return std::string(text.substr(0, kTrayTipLength)); }

TrmTrayIcon::TrmTrayIcon(TrayShell& shell, TrayWindow& window) : shell_(shell), window_(window) {
    setShowApp(false);
}

TrmTrayIcon::~TrmTrayIcon() {
    if (retrying_) window_.retryTimer(false);
    if (active_) shell_.remove(record());
}

TrayRecord TrmTrayIcon::record() {
    return {window_.handle(), kTrayIconId, /*hasCallback=*/true, /*hasIcon=*/true, /*hasTip=*/true, icon_, tip_};
}

bool TrmTrayIcon::add() {
    const bool added = shell_.add(record());
    // The shell may have shown the icon without its tip: apply the tip again once the message loop runs.
    if (tip_.empty()) window_.postTipMessage();
    return added;
}

bool TrmTrayIcon::modify() {
    if (!active_) return true;
    return shell_.modify(record());
}

void TrmTrayIcon::place() {
    // An add that fails may still have shown the icon (the shell timed out at log-on), so a modify that succeeds
    // means it is there. Otherwise the shell is not ready yet, and without its icon the program is out of reach.
    const bool there = add() || shell_.modify(record());
    if (!there && !retrying_) window_.retryTimer(retrying_ = true);
    else if (there && retrying_) window_.retryTimer(retrying_ = false);
}

void TrmTrayIcon::setActive(bool on) {
    if (on == active_) return;
    active_ = on;
    if (on) return place();
    if (retrying_) {
        retrying_ = false;
        window_.retryTimer(false);
    }
    shell_.remove(record());
}

void TrmTrayIcon::setIcon(IconHandle icon) {
    if (icon == icon_) return;
    icon_ = icon;
    modify();
}

void TrmTrayIcon::loadIcon(IconHandle icon) { icon_ = icon; }

void TrmTrayIcon::setToolTip(std::string_view text) {
    tip_ = trayTip(text);
    modify();
}

void TrmTrayIcon::setShowApp(bool show) {
    showApp_ = show;
    window_.showApplication(show);
}

void TrmTrayIcon::leftButtonUp() {
    if (OnClick) OnClick();
}

void TrmTrayIcon::leftDoubleClick() {
    if (OnDblClick) OnDblClick();
}

void TrmTrayIcon::rightButtonUp() {
    const ScreenPoint at = window_.cursor();
    if (PopupMenu) window_.popUp(PopupMenu, at);
    if (OnRightClick) OnRightClick(at);
}

void TrmTrayIcon::taskbarCreated() {
    if (active_) place();
}

void TrmTrayIcon::retryTick() {
    if (active_ && retrying_) place();
}

void setUpSysTray(TrmTrayIcon& sysTray, IconHandle picture, MenuHandle menu, std::function<void()> showStep) {
    sysTray.setActive(true);
    sysTray.loadIcon(picture);
    sysTray.PopupMenu = menu;
    sysTray.setShowApp(false);
    sysTray.setToolTip(kTitle);
    sysTray.OnDblClick = std::move(showStep);
}

}  // namespace vr
