// The main form's settings handlers: the load at start-up, the Set buttons, the "Start with Windows" box, and
// the store at shutdown.
#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "form/main_form.h"
#include "settings/intervals.h"

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
    settings.keepRead(true);
    // Each key is applied on its own: an error raised by a click behaviour is shown and the rest still load.
    for (const SettingKey& key : kSettings) dispatch([&] { loadKey(key); });
    settings.keepRead(false);
    loading_ = false;
}

void MainForm::loadKey(const SettingKey& key) {
    switch (key.type) {
    case ValueType::Boolean: {
        const bool on = settings.boolean(key);
        if (!isActionButton(key.control)) return setChecked(key.control, on);
        // A true value selects its button and clears the other two; a false one clears only its own. The last
        // true one wins, and none selected acts as "Nothing".
        if (!on) return model.setChecked(key.control, false);
        for (Ctl button : kActionButtons) model.setChecked(button, button == key.control);
        return;
    }
    case ValueType::Integer:
        // Loaded unchecked: a value out of range works until its Set button refuses it. The delay and the
        // flashing interval reach their timers as they load; the scan interval at the end of start-up.
        model.setText(key.control, std::to_string(settings.integer(key)));
        if (key.id != Key::ScanInterval) timerOf(key.timer).setInterval(intervalOf(key));
        return;
    case ValueType::String:
        if (key.id == Key::Handlename) return setTargetClass(settings.string(key));
        return model.setText(key.control, settings.string(key));
    }
}

void MainForm::setButtonClick(Ctl button) {
    for (const SettingKey& key : kSettings) {
        if (key.setButton != button) continue;
        if (key.type == ValueType::Integer) checkAndApply(key);
        else settings.store(key, model);
    }
}

void MainForm::checkAndApply(const SettingKey& key) {
    if (const auto message = rangeMessage(spinValue(model.text(key.control), key.range.minimum), key.range))
        return dialogs_.error(*message);
    timerOf(key.timer).setInterval(intervalOf(key));
    settings.store(key, model);
}

Timer& MainForm::timerOf(TimerId id) {
    switch (id) {
    case TimerId::tmrDelay: return watch.tmrDelay;
    case TimerId::tmrSearch: return watch.tmrSearch;
    case TimerId::tmrFlash: return watch.tmrFlash;
    case TimerId::tmrStatus:
    case TimerId::none: break;
    }
    throw std::logic_error("no interval setting drives that timer");
}

void MainForm::cbxStartClick() {
    if (loading_) return applyRegistration(false);  // the load restores the box; it does not change the choice
    // Registered first and stored after, so that the file keeps a choice the registry could follow.
    applyRegistration(true);
    store(Key::StartWithWindows);
}

void MainForm::applyRegistration(bool userAsked) {
    if (const auto refused = autostart_.set(model.checked(Ctl::cbxStart)); refused && userAsked) throw Error(*refused);
}

void MainForm::storeDisableStat() {
    // A refused store is shown, and the shutdown goes on: the program can always be ended.
    dispatch([&] { store(Key::DisableStat); });
}

}  // namespace vr
