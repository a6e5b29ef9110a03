#include "linux/wayland/toplevel_table.h"

#include <algorithm>

namespace vr::wl {

WindowHandle ToplevelTable::add() {
    // Serials wrap only after two thousand million toplevels; one still in use is skipped.
    WindowHandle window;
    do {
        window = kWaylandHandleBit | next_;
        next_ = next_ == 0x7FFFFFFFu ? 1 : next_ + 1;
    } while (entries_.contains(window));
    entries_[window] = {order_++, std::nullopt};
    return window;
}

ToplevelTable::Changes ToplevelTable::commit(WindowHandle window, const Toplevel& now) {
    const auto entry = entries_.find(window);
    if (entry == entries_.end()) return {};
    Changes changes;
    auto& before = entry->second.state;
    if (!before) {
        changes.appeared = true;
        changes.beganAsking = now.attention;
    } else {
        changes.renamed = before->title != now.title || before->appId != now.appId || before->className != now.className;
        changes.beganAsking = now.attention && !before->attention;
    }
    before = now;
    return changes;
}

void ToplevelTable::remove(WindowHandle window) { entries_.erase(window); }

void ToplevelTable::clear() { entries_.clear(); }

const Toplevel* ToplevelTable::get(WindowHandle window) const {
    const auto entry = entries_.find(window);
    return entry == entries_.end() || !entry->second.state ? nullptr : &*entry->second.state;
}

std::vector<WindowHandle> ToplevelTable::listed() const {
    std::vector<std::pair<std::uint64_t, WindowHandle>> ordered;
    for (const auto& [window, entry] : entries_)
        if (entry.state) ordered.push_back({entry.order, window});
    std::sort(ordered.begin(), ordered.end());
    std::vector<WindowHandle> windows;
    for (const auto& [order, window] : ordered) windows.push_back(window);
    return windows;
}

}  // namespace vr::wl
