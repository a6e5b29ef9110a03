// The watch cycle: on Execute wait the initial delay, then look for a top-level window of the target class at
// every scan tick; when one exists stop looking, flash the lock lights and run the alert actions. Its state is
// nothing more than which of its three timers are enabled.
#pragma once
#include <string>

#include "model/model.h"
#include "ports.h"
#include "watch/timer.h"

namespace vr {

inline constexpr const char* kStatusIdle = "Vigilamp is idle.";
inline constexpr const char* kStatusActive = "Vigilamp is active!";

// What the cycle hands over to once the window is found, and how disable silences it.
class AlertActions {
public:
    virtual ~AlertActions() = default;
    virtual void run() = 0;        // program, sound, window action: once per alert
    virtual void stopSound() = 0;  // may throw the player's error
};

class WatchCycle {
public:
    WatchCycle(TimerHost& timers, Model& model, Windows& windows, LockLights& lights, AlertActions& actions);

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

    // True while a watch is pending: waiting for the delay or scanning.
    bool watching() const { return tmrDelay.enabled() || tmrSearch.enabled(); }

    Timer tmrDelay;
    Timer tmrSearch;
    Timer tmrFlash;

private:
    void allLightsOff();
    void startWatch();

    Model& model_;
    Windows& windows_;
    LockLights& lights_;
    AlertActions& actions_;
    bool lit_ = false;  // the pattern shows: the flash ticks alternate between the pattern and all off
};

}  // namespace vr
