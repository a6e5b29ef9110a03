#include "watch/watch_cycle.h"

namespace vr {

WatchCycle::WatchCycle(TimerHost& timers, Model& model, Windows& windows, LockLights& lights,
                       AlertActions& actions)
    : tmrDelay(timers, static_cast<int>(TimerId::tmrDelay), 1000),
      tmrSearch(timers, static_cast<int>(TimerId::tmrSearch), 500),
      tmrFlash(timers, static_cast<int>(TimerId::tmrFlash), 500),
      model_(model),
      windows_(windows),
      lights_(lights),
      actions_(actions) {}

void WatchCycle::allLightsOff() {
    for (LockKey key : {LockKey::Caps, LockKey::Num, LockKey::Scroll}) lights_.set(key, false);
}

void WatchCycle::stopAlert() {
    tmrFlash.setEnabled(false);
    lit_ = false;
    allLightsOff();
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
    // The class is read afresh at every tick, so a pick on the Advanced page takes effect at the next one.
    if (windows_.findByClass(model_.text(Ctl::lblClassname)) == 0) return;
    tmrSearch.setEnabled(false);
    tmrFlash.setEnabled(true);
    actions_.run();
}

void WatchCycle::tmrFlashTimer() {
    // The lights read the keyboard as it is now, so the ticks alternate themselves: the first after the window
    // is found lights the pattern, the next puts every light off. The pattern boxes are read at every tick, so
    // a box ticked during an alert joins at the next lit tick.
    lit_ = !lit_;
    lights_.set(LockKey::Caps, lit_ && model_.checked(Ctl::cbxFlshpatCaps));
    lights_.set(LockKey::Num, lit_ && model_.checked(Ctl::cbxFlshpatNum));
    lights_.set(LockKey::Scroll, lit_ && model_.checked(Ctl::cbxFlshpatScr));
}

}  // namespace vr
