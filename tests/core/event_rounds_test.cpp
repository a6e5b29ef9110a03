// The rounds the windows named by window events are checked in: once per window per round, at once after a
// quiet spell, at most once per gap while events keep coming, and in slices when a flood of windows comes.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "watch/event_rounds.h"

namespace vr {
namespace {

using Windows = std::vector<WindowHandle>;

TEST(EventRounds, AWindowNamedManyTimesBeforeItsRoundIsHandedOnOnceInTheOrderFirstNamed) {
    EventRounds rounds;
    EXPECT_TRUE(rounds.add(7)) << "the first event after a quiet spell arranges a round";
    for (int i = 0; i < 1000; ++i) {
        EXPECT_FALSE(rounds.add(7)) << "one is arranged already";
        EXPECT_FALSE(rounds.add(3));
    }
    EXPECT_FALSE(rounds.add(9));
    EXPECT_EQ(rounds.dueIn(1000), 0u) << "a round after a quiet spell may run at once";
    EXPECT_EQ(rounds.take(1000), (Windows{7, 3, 9}));
    EXPECT_FALSE(rounds.more());
    EXPECT_EQ(rounds.dueIn(1000), std::nullopt) << "nothing waits";
    EXPECT_TRUE(rounds.take(1000).empty());
}

TEST(EventRounds, EventsWithinTheGapAfterARoundWaitForItAndAreThenHandedOnTogether) {
    EventRounds rounds(50);
    rounds.add(1);
    EXPECT_EQ(rounds.take(0), Windows{1});
    EXPECT_TRUE(rounds.add(1)) << "a new round must be arranged";
    EXPECT_EQ(rounds.dueIn(10), 40u);
    EXPECT_TRUE(rounds.take(10).empty()) << "an early call hands nothing on and keeps what waits";
    EXPECT_FALSE(rounds.add(2));
    EXPECT_EQ(rounds.dueIn(30), 20u);
    EXPECT_EQ(rounds.take(50), (Windows{1, 2}));
    // Once the gap has passed since the last round, the next event may run at once.
    EXPECT_TRUE(rounds.add(5));
    EXPECT_EQ(rounds.dueIn(200), 0u);
}

TEST(EventRounds, AWindowThatRenamesItselfEveryMillisecondIsCheckedOncePerGapAndOnceMoreAfterItsLastName) {
    EventRounds rounds(50);
    std::vector<std::uint64_t> handedAt;
    std::optional<std::uint64_t> arrangedFor;
    // A caller that runs each round when it comes due, as the front ends do with their messages and timers.
    const auto runDue = [&](std::uint64_t now) {
        if (arrangedFor && *arrangedFor <= now) {
            arrangedFor.reset();
            for (WindowHandle w : rounds.take(now)) {
                EXPECT_EQ(w, 42u);
                handedAt.push_back(now);
            }
            if (const auto due = rounds.dueIn(now)) arrangedFor = now + *due;
        }
    };
    for (std::uint64_t now = 0; now < 1000; ++now) {
        if (rounds.add(42)) arrangedFor = now + *rounds.dueIn(now);
        runDue(now);
    }
    for (std::uint64_t now = 1000; now < 1200; ++now) runDue(now);  // the renames have stopped
    ASSERT_FALSE(handedAt.empty());
    EXPECT_LE(handedAt.size(), 1000u / 50 + 2) << "a thousand renames cost about twenty checks";
    for (std::size_t i = 1; i < handedAt.size(); ++i) EXPECT_GE(handedAt[i] - handedAt[i - 1], 50u);
    EXPECT_GE(handedAt.back(), 999u) << "the title it ended with is checked";
    EXPECT_EQ(handedAt.front(), 0u) << "the first rename is checked at once";
}

TEST(EventRounds, AFloodOfWindowsIsHandedOnInSlicesEachWindowOnceTheRestDueAtOnce) {
    EventRounds rounds(50, 200);
    for (WindowHandle w = 1; w <= 1000; ++w) rounds.add(w);
    rounds.add(500);  // named again while it waits
    std::map<WindowHandle, int> seen;
    int slices = 0;
    while (rounds.dueIn(0)) {
        ASSERT_EQ(rounds.dueIn(0), 0u) << "what a slice leaves is due at once, not after the gap";
        const auto slice = rounds.take(0);
        EXPECT_LE(slice.size(), 200u);
        EXPECT_EQ(rounds.more(), ++slices < 5);
        for (WindowHandle w : slice) ++seen[w];
    }
    EXPECT_EQ(slices, 5);
    ASSERT_EQ(seen.size(), 1000u);
    for (const auto& [window, times] : seen) EXPECT_EQ(times, 1) << window;
    // The last slice emptied the waiting list: the gap counts again from it.
    EXPECT_TRUE(rounds.add(1));
    EXPECT_EQ(rounds.dueIn(10), 40u);
}

TEST(EventRounds, ClearForgetsWhatWaitsAndTheNextEventArrangesARoundAnew) {
    EventRounds rounds;
    rounds.add(1);
    rounds.add(2);
    rounds.clear();
    EXPECT_EQ(rounds.dueIn(0), std::nullopt);
    EXPECT_TRUE(rounds.take(0).empty());
    EXPECT_TRUE(rounds.add(2));
    EXPECT_EQ(rounds.take(0), Windows{2});
}

TEST(EventRounds, AClockThatWentBackNeverHoldsARoundBack) {
    EventRounds rounds(50);
    rounds.add(1);
    rounds.take(1000);
    rounds.add(1);
    EXPECT_EQ(rounds.dueIn(400), 0u);
    EXPECT_EQ(rounds.take(400), Windows{1});
}

}  // namespace
}  // namespace vr
