#include "watch/watch_cycle.h"

namespace vr {

WindowRule windowRule(const Model& model) {
    WindowRule rule{model.text(Ctl::lblClassname), std::nullopt};
    if (model.checked(Ctl::cbxTitleEnable)) rule.titlePattern = model.text(Ctl::txtTitle);
    return rule;
}

WatchCycle::WatchCycle(TimerHost& timers, Model& model, Windows& windows, LockLights& lights, Lamps& lamps,
                       AlertActions& actions)
    : tmrDelay(timers, static_cast<int>(TimerId::tmrDelay), 1000),
      tmrSearch(timers, static_cast<int>(TimerId::tmrSearch), 500),
      tmrFlash(timers, static_cast<int>(TimerId::tmrFlash), 500),
      model_(model),
      windows_(windows),
      lights_(lights),
      lamps_(lamps),
      actions_(actions) {}

bool WatchCycle::lampsOnly() const {
    return model_.checked(Ctl::cbxLampsOnly) && lamps_.route() != LampRoute::none;
}

void WatchCycle::allLightsOff() {
    for (LockKey key : {LockKey::Caps, LockKey::Num, LockKey::Scroll}) lights_.set(key, false);
}

void WatchCycle::stopAlert() {
    tmrFlash.setEnabled(false);
    lit_ = false;
    // The lamps go back to the lock state, which the user's typing alone has changed. The locks an alert switched
    // go off, as they do whenever the lamps are not flashed alone.
    if (flashing_ == Flashing::lamps) lamps_.release();
    else if (flashing_ == Flashing::locks || !lampsOnly()) allLightsOff();
    flashing_ = Flashing::nothing;
    actions_.flashed(false);
    model_.setText(Ctl::lblStatus, kStatusIdle);
}

void WatchCycle::execute() {
    stopAlert();
    startWatch();
}

void WatchCycle::startWatch() {
    tmrDelay.setEnabled(true);  // an enabled delay keeps its countdown: a second Execute does not prolong it
    model_.setText(Ctl::lblStatus, kStatusActive);
}

void WatchCycle::disable() {
    stopAlert();
    // The timers go off even when the player cannot stop; its error is shown afterwards.
    try {
        actions_.stopSound();
    } catch (...) {
        tmrDelay.setEnabled(false);
        tmrSearch.setEnabled(false);
        throw;
    }
    tmrDelay.setEnabled(false);
    tmrSearch.setEnabled(false);
    model_.setText(Ctl::lblStatus, kStatusIdle);
}

void WatchCycle::reset() {
    disable();
    execute();
}

bool WatchCycle::onTimer(int id) {
    if (id == tmrDelay.id()) tmrDelayTimer();
    else if (id == tmrSearch.id()) tmrSearchTimer();
    else if (id == tmrFlash.id()) tmrFlashTimer();
    else return false;
    return true;
}

void WatchCycle::tmrDelayTimer() { tmrSearch.setEnabled(true); }

void WatchCycle::tmrSearchTimer() {
    tmrDelay.setEnabled(false);
    // The rule is read afresh at every tick, so a pick or a new pattern takes effect at the next one. A rule that
    // names no window leaves the alert to a window asking for attention.
    const WindowRule rule = windowRule(model_);
    if (rule.empty() || windows_.find(rule) == 0) return;
    found(0);
}

void WatchCycle::attention(WindowHandle window) {
    if (!tmrSearch.enabled()) return;  // idle, alerting, or still in the initial delay
    tmrDelay.setEnabled(false);
    found(window);
}

void WatchCycle::windowChanged(WindowHandle window) {
    if (!scanning()) return;
    const WindowRule rule = windowRule(model_);
    if (rule.empty() || !windows_.fits(window, rule)) return;
    tmrDelay.setEnabled(false);
    found(window);
}

void WatchCycle::found(WindowHandle window) {
    tmrSearch.setEnabled(false);
    flashing_ = lampsOnly() ? Flashing::lamps : Flashing::locks;
    tmrFlash.setEnabled(true);
    actions_.run(window);
}

void WatchCycle::tmrFlashTimer() {
    // The lights read the keyboard as it is now, so the ticks alternate themselves: the first after the window
    // is found lights the pattern, the next puts every light off. The pattern boxes are read at every tick, so
    // a box ticked during an alert joins at the next lit tick.
    lit_ = !lit_;
    const LockStates shown{lit_ && model_.checked(Ctl::cbxFlshpatCaps), lit_ && model_.checked(Ctl::cbxFlshpatNum),
                           lit_ && model_.checked(Ctl::cbxFlshpatScr)};
    if (flashing_ == Flashing::lamps) {
        lamps_.show(shown);  // every tick: some systems repaint the lamps from the locks on their own
    } else {
        lights_.set(LockKey::Caps, shown.caps);
        lights_.set(LockKey::Num, shown.num);
        lights_.set(LockKey::Scroll, shown.scroll);
    }
    actions_.flashed(lit_);
}

}  // namespace vr
