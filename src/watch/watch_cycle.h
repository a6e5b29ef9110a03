// The watch cycle: on Execute wait the initial delay, then look for a top-level window of the target class at
// every scan tick; when one exists stop looking, flash the lock lights and run the alert actions. Its state is
// nothing more than which of its three timers are enabled.
#pragma once
#include <string>

#include "model/model.h"
#include "model/texts.h"
#include "ports.h"
#include "watch/timer.h"

namespace vr {

// The rule the page shows now: the class in use and, when its box is ticked, the title pattern.
WindowRule windowRule(const Model& model);

// What the cycle hands over to once the window is found, and how disable silences it.
class AlertActions {
public:
    virtual ~AlertActions() = default;
    // Program, sound, window action: once per alert. window: the window that asked for attention, which the
    // window action goes to; 0 when a scan found one, and the action looks for it afresh.
    virtual void run(WindowHandle window) = 0;
    virtual void stopSound() = 0;  // may throw the player's error
    // The flash lit the pattern or put it out; false too when the alert stops.
    virtual void flashed(bool lit) = 0;
};

class WatchCycle {
public:
    // An alert flashes the keyboard's lamps alone where the user asks for it and the lamps can be reached, and
    // switches the lock keys otherwise.
    WatchCycle(TimerHost& timers, Model& model, Windows& windows, LockLights& lights, Lamps& lamps,
               AlertActions& actions);

    // The commands and shared steps.
    void stopAlert();
    void execute();
    void disable();
    void reset();

    // The ticks. onTimer routes a timer id and says whether it was one of the cycle's.
    bool onTimer(int id);
    void tmrDelayTimer();
    void tmrSearchTimer();
    void tmrFlashTimer();

    // A window that fits the rule asked for attention: while the watch scans (its delay has passed), the alert
    // starts at once, as if that scan had found it.
    void attention(WindowHandle window);
    // A window appeared or changed its title or class: while the watch scans, it alone is checked against the
    // rule, with the scan's own rule code, and a fit starts the alert at once, the window action going to it.
    void windowChanged(WindowHandle window);

    // True while the watch scans: its delay has passed and no alert has begun.
    bool scanning() const { return tmrSearch.enabled(); }

    // True while a watch is pending: waiting for the delay or scanning.
    bool watching() const { return tmrDelay.enabled() || tmrSearch.enabled(); }

    Timer tmrDelay;
    Timer tmrSearch;
    Timer tmrFlash;

    // Whether an alert now would flash the lamps alone: the box ticked and a way to the lamps.
    bool lampsOnly() const;

private:
    void allLightsOff();
    void startWatch();
    void found(WindowHandle window);

    Model& model_;
    Windows& windows_;
    LockLights& lights_;
    Lamps& lamps_;
    AlertActions& actions_;
    bool lit_ = false;  // the pattern shows: the flash ticks alternate between the pattern and all off
    // What the alert that runs flashes, chosen as it began; the box changes the next alert.
    enum class Flashing { nothing, locks, lamps } flashing_ = Flashing::nothing;
};

}  // namespace vr
