#include "win32/adapters/win_event_listener.h"

namespace vr::win32 {

std::optional<std::string> WinEventListener::attentionUnavailable() {
    if (shellReports_) return std::nullopt;
    return std::string("it does not report windows that flash their taskbar buttons.");
}

void WinEventListener::listen(bool changes, bool attention) {
    if (changes != changes_) {
        changes_ = changes;
        if (changes) {
            hooked_ = calls_.hookWinEvents(true);
        } else {
            // What was gathered for a round is of no interest now; the hooks cost nothing once they are gone.
            if (hooked_) calls_.hookWinEvents(false);
            hooked_ = false;
            rounds_.clear();
            calls_.noRound();
        }
    }
    if (shellReports_ && attention != shellHooked_)
        shellHooked_ = attention ? calls_.shellHook(true) : !calls_.shellHook(false);
}

bool WinEventListener::namesWindow(std::uint32_t event, long objectId, long childId) {
    const bool kind = event == kObjectCreate || event == kObjectShow || event == kObjectNameChange;
    return kind && objectId == kObjectIdWindow && childId == kChildIdSelf;
}

void WinEventListener::winEvent(std::uint32_t event, WindowHandle window, long objectId, long childId) {
    // An event already queued when the hooks went can still arrive.
    if (!changes_ || !window || !namesWindow(event, objectId, childId)) return;
    // A control or any other child window is no window a rule can find: only top-level ones are gathered.
    if (!calls_.topLevel(window)) return;
    if (rounds_.add(window)) arrange();
}

void WinEventListener::arrange() {
    const auto due = rounds_.dueIn(calls_.now());
    if (!due) return;
    if (*due == 0) calls_.roundNow();
    else calls_.roundIn(*due);
}

void WinEventListener::shellMessage(std::uintptr_t code, WindowHandle window) {
    if (shellHooked_ && code == kShellFlash && onAttention) onAttention(window);
}

void WinEventListener::round() {
    if (!changes_) return;
    const std::uint64_t now = calls_.now();
    const auto due = rounds_.dueIn(now);
    if (!due) return;  // a message left over from a round that was cleared
    if (*due > 0) {
        calls_.roundIn(*due);  // early (a message that was on its way): the round comes when the gap has passed
        return;
    }
    const auto windows = rounds_.take(now);
    if (rounds_.more()) calls_.roundNow();  // a flood: the rest after the messages waiting meanwhile
    for (const WindowHandle window : windows) {
        // A check may start the alert, and the form then stops listening: the rest are of no interest.
        if (!changes_) return;
        if (onChange) onChange(window);
    }
}

}  // namespace vr::win32
