#include "watch/watch_cycle.h"

namespace vr {

WatchCycle::WatchCycle(TimerHost& timers, View& view, Windows& windows, TKeyLed& lights, AlertActions& actions)
    : tmrDelay(timers, static_cast<int>(TimerId::tmrDelay), 1000),
      tmrSearch(timers, static_cast<int>(TimerId::tmrSearch), 500),
      tmrFlash(timers, static_cast<int>(TimerId::tmrFlash), 500),
      view_(view),
      windows_(windows),
      lights_(lights),
      actions_(actions) {}

void WatchCycle::allLightsOff() {
    lights_.setCapsLock(false);
    lights_.setNumLock(false);
    lights_.setScrollLock(false);
}

void WatchCycle::stopAlert() {
    tmrFlash.setEnabled(false);
    allLightsOff();
    view_.setText(Ctl::lblStatus, kStatusIdle);
}

void WatchCycle::execute() {
    stopAlert();
    startWatch();
}

void WatchCycle::startWatch() {
    tmrDelay.setEnabled(true);  // an enabled delay keeps its countdown: a second Execute does not prolong it
    view_.setText(Ctl::lblStatus, kStatusActive);
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
    view_.setText(Ctl::lblStatus, kStatusIdle);
}

void WatchCycle::reset() {
    disable();
    // Not execute(): its second round of lights-off would read the key states before they show the presses
    // that disable has just synthesised, and so switch a flashing light straight back on.
    startWatch();
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
    // The class is read afresh at every tick, so a pick on the Advanced page takes effect at the next one.
    const std::string target = view_.text(Ctl::lblClassname);
    tmrDelay.setEnabled(false);
    if (windows_.findByClass(target) == 0) return;
    tmrSearch.setEnabled(false);
    tmrFlash.setEnabled(true);
    actions_.run();
}

void WatchCycle::tmrFlashTimer() {
    allLightsOff();
    lights_.setCapsLock(view_.checked(Ctl::cbxFlshpatCaps));
    lights_.setNumLock(view_.checked(Ctl::cbxFlshpatNum));
    lights_.setScrollLock(view_.checked(Ctl::cbxFlshpatScr));
}

}  // namespace vr
