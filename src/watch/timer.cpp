#include "watch/timer.h"

namespace vr {

void Timer::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    update();
}

void Timer::setInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    update();
}

void Timer::update() {
    host_.stop(id_);
    if (!enabled_ || interval_ == 0) return;
    if (!host_.start(id_, interval_)) {
        enabled_ = false;
        throw Error("Not enough timers available");
    }
}

}  // namespace vr
