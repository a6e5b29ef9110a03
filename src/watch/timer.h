// A timer with the rules the watch cycle relies on: enabling an enabled timer changes nothing and keeps its
// countdown; a new interval restarts a running timer; an interval of 0 never ticks; the first tick comes one
// full interval after enabling.
#pragma once
#include "ports.h"

namespace vr {

class Timer {
public:
    Timer(TimerHost& host, int id, unsigned interval) : host_(host), id_(id), interval_(interval) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { host_.stop(id_); }

    int id() const { return id_; }
    bool enabled() const { return enabled_; }
    unsigned interval() const { return interval_; }

    // Throws "Not enough timers available" when the platform has none left; the timer then stays disabled.
    void setEnabled(bool on);
    void setInterval(unsigned ms);

private:
    void update();

    TimerHost& host_;
    int id_;
    unsigned interval_;
    bool enabled_ = false;
};

}  // namespace vr
