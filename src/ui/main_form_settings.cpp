// The main form's settings handlers: the load at start-up, the Set buttons of the intervals and the flashing
// pattern, the "Start with Windows" box, and the store at shutdown.
#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "settings/profile_value.h"
#include "settings/startup_registration.h"
#include "ui/main_form.h"

namespace vr {

namespace {

// The three window-action radio buttons, in load order.
constexpr Ctl kActionButtons[] = {Ctl::rbnMinimise, Ctl::rbnClose, Ctl::rbnNothing};

bool isActionButton(Ctl control) {
    return std::find(std::begin(kActionButtons), std::end(kActionButtons), control) != std::end(kActionButtons);
}

}  // namespace

void MainForm::loadSettings() {
    loading_ = true;
    // Each key is applied on its own: an error raised by a click behaviour is shown and the rest still load.
    for (const SettingKey& key : kSettings) dispatch([&] { loadKey(key); });
    loading_ = false;
}

void MainForm::loadKey(const SettingKey& key) {
    switch (key.type) {
    case ValueType::Boolean: {
        const bool on = settings.boolean(key);
        if (!isActionButton(key.control)) return setChecked(key.control, on);
        // A true value selects its button and clears the other two; a false one clears only its own. The last
        // true one wins, and none selected acts as "Nothing".
        if (!on) return view_.setChecked(key.control, false);
        for (Ctl button : kActionButtons) view_.setChecked(button, button == key.control);
        return;
    }
    case ValueType::Integer:
        // Loaded unchecked: a value out of range works until its Set button refuses it.
        view_.setText(key.control, std::to_string(settings.integer(key)));
        if (key.id == Key::DelayValue) watch.tmrDelay.setInterval(intervalOf(kIntervals[0]));
        if (key.id == Key::LightingInterval) watch.tmrFlash.setInterval(intervalOf(kIntervals[2]));
        return;
    case ValueType::String: return view_.setText(key.control, settings.string(key));
    }
}

void MainForm::btnFlshpatSetClick() {
    for (Key key : {Key::Caps, Key::Num, Key::Scr}) settings.store(setting(key), view_);
}

void MainForm::checkAndApply(const IntervalSetting& interval) {
    if (const auto message = rangeMessage(spinValue(view_.text(interval.spin), interval.minimum), interval))
        return dialogs_.error(*message);
    timerOf(interval.timer).setInterval(intervalOf(interval));
    settings.store(settingNamed(interval.key), view_);
}

Timer& MainForm::timerOf(TimerId id) {
    switch (id) {
    case TimerId::tmrDelay: return watch.tmrDelay;
    case TimerId::tmrSearch: return watch.tmrSearch;
    case TimerId::tmrFlash: return watch.tmrFlash;
    case TimerId::tmrStatus: break;
    }
    throw std::logic_error("no interval setting drives the status timer");
}

void MainForm::cbxStartClick() {
    if (loading_) return applyRegistration(false);  // the load restores the box; it does not change the choice
    // Registered first and stored after, so that the file keeps a choice the registry could follow.
    applyRegistration(true);
    settings.store(setting(Key::StartWithWindows), view_);
}

void MainForm::applyRegistration(bool userAsked) {
    if (!setRunValue(runKey_, kRunValueName, executable_, view_.checked(Ctl::cbxStart)) && userAsked)
        throw Error(kRunKeyNeedsAdmin);
}

void MainForm::storeDisableStat() {
    // A refused store is shown, and the shutdown goes on: the program can always be ended.
    dispatch([&] { settings.store(setting(Key::DisableStat), view_); });
}

}  // namespace vr
