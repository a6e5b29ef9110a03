// The windows that the desktop's events name, gathered into rounds so that events cost no more than checks: a
// window is handed on once per round however many events named it, a round comes at once after a quiet spell
// and then at most once per gap, and a round hands on a bounded number of windows, leaving the rest due at once.
// A window that renames itself a thousand times a second, or a flood of new windows, never stalls the program.
// The caller keeps the time and arranges the rounds (a posted message, a timer); nothing here waits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

#include "ports.h"

namespace vr {

class EventRounds {
public:
    static constexpr unsigned kGapMs = 16;          // between the starts of two rounds: about a display frame
    static constexpr std::size_t kMostPerRound = 200;  // windows handed on by one round

    explicit EventRounds(unsigned gapMs = kGapMs, std::size_t mostPerRound = kMostPerRound)
        : gapMs_(gapMs), most_(mostPerRound) {}

    // An event named the window. True when no round was arranged and one must be now: at once when dueIn says 0,
    // else after that many milliseconds (the gap counts from the last round, not from the events).
    bool add(WindowHandle window);
    // Milliseconds until the next round may run; 0: now; nothing when no window waits.
    std::optional<unsigned> dueIn(std::uint64_t nowMs) const;
    // The round, when one is due: the windows named since the last, each once, in the order first named, at most
    // mostPerRound of them; nothing when none waits or the gap has not passed. What is left over is due at once
    // and counts as arranged again: the caller arranges another round when more() says so.
    std::vector<WindowHandle> take(std::uint64_t nowMs);
    bool more() const { return !waiting_.empty(); }
    // Forgets every waiting window; the next event arranges a round anew.
    void clear();

private:
    unsigned gapMs_;
    std::size_t most_;
    std::vector<WindowHandle> waiting_;  // in the order first named
    std::unordered_set<WindowHandle> named_;
    std::optional<std::uint64_t> lastRound_;
    bool leftOver_ = false;  // the last round left windows behind: due at once, whatever the gap
};

}  // namespace vr
