#include "watch/event_rounds.h"

#include <algorithm>

namespace vr {

bool EventRounds::add(WindowHandle window) {
    if (!named_.insert(window).second) return false;
    waiting_.push_back(window);
    return waiting_.size() == 1;
}

std::optional<unsigned> EventRounds::dueIn(std::uint64_t nowMs) const {
    if (waiting_.empty()) return std::nullopt;
    if (!lastRound_ || leftOver_) return 0u;
    // A clock that went back counts as a gap that has passed.
    const std::uint64_t since = nowMs >= *lastRound_ ? nowMs - *lastRound_ : gapMs_;
    return since >= gapMs_ ? 0u : static_cast<unsigned>(gapMs_ - since);
}

std::vector<WindowHandle> EventRounds::take(std::uint64_t nowMs) {
    if (dueIn(nowMs) != 0u) return {};
    const auto end = waiting_.begin() + static_cast<std::ptrdiff_t>(std::min(most_, waiting_.size()));
    std::vector<WindowHandle> round(waiting_.begin(), end);
    waiting_.erase(waiting_.begin(), end);
    for (const WindowHandle window : round) named_.erase(window);
    leftOver_ = !waiting_.empty();
    lastRound_ = nowMs;
    return round;
}

void EventRounds::clear() {
    waiting_.clear();
    named_.clear();
    leftOver_ = false;
}

}  // namespace vr
