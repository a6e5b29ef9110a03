#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "watch/timer.h"

namespace vr {
namespace {

struct TimerTest : ::testing::Test {
    fake::Timers host;
    std::vector<std::uint64_t> ticks;
    Timer timer{host, 7, 1000};
    void SetUp() override {
        host.onTick = [this](int id) {
            ASSERT_EQ(id, 7);
            ticks.push_back(host.now());
        };
    }
};

TEST_F(TimerTest, FirstTickComesOneFullIntervalAfterEnabling) {
    host.advance(300);
    timer.setEnabled(true);
    host.advance(2500);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1300, 2300}));
}

TEST_F(TimerTest, EnablingAnEnabledTimerKeepsItsCountdown) {
    timer.setEnabled(true);
    host.advance(600);
    timer.setEnabled(true);
    host.advance(400);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1000}));
}

TEST_F(TimerTest, ANewIntervalRestartsARunningTimerButTheSameOneDoesNot) {
    timer.setEnabled(true);
    host.advance(600);
    timer.setInterval(1000);
    host.advance(400);
    ASSERT_EQ(ticks.size(), 1u);
    timer.setInterval(500);  // at 1000: restarts, next at 1500
    host.advance(1000);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1000, 1500, 2000}));
}

TEST_F(TimerTest, AnIdleTimerKeepsANewIntervalForItsNextStart) {
    timer.setInterval(250);
    EXPECT_FALSE(host.running(7));
    timer.setEnabled(true);
    host.advance(500);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{250, 500}));
}

TEST_F(TimerTest, IntervalZeroNeverTicksUntilAValidOneIsGiven) {
    timer.setInterval(0);
    timer.setEnabled(true);
    EXPECT_TRUE(timer.enabled());
    host.advance(100000);
    EXPECT_TRUE(ticks.empty());
    timer.setInterval(1000);
    host.advance(1000);
    EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(TimerTest, DisablingStopsTicks) {
    timer.setEnabled(true);
    host.advance(1500);
    timer.setEnabled(false);
    host.advance(5000);
    EXPECT_EQ(ticks.size(), 1u);
    EXPECT_FALSE(host.running(7));
}

TEST_F(TimerTest, NoTimerLeftRaisesTheErrorAndLeavesTheTimerDisabled) {
    host.available = 0;
    try {
        timer.setEnabled(true);
        FAIL() << "expected an error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Not enough timers available");
    }
    EXPECT_FALSE(timer.enabled());
    host.available = 1;
    timer.setEnabled(true);  // a later attempt can succeed
    EXPECT_TRUE(host.running(7));
}

}  // namespace
}  // namespace vr
