#include <gtest/gtest.h>

#include "settings/intervals.h"

namespace vr {
namespace {

const Range& delay = setting(Key::DelayValue).range;
const Range& flashing = setting(Key::LightingInterval).range;

TEST(SpinValue, IsTheTextAsAnIntegerOrTheMinimum) {
    EXPECT_EQ(spinValue("2500", 1000), 2500);
    EXPECT_EQ(spinValue(" $10", 1000), 16);
    EXPECT_EQ(spinValue("abc", 1000), 1000);
    EXPECT_EQ(spinValue("", 1000), 1000);
    EXPECT_EQ(spinValue("1.5", 1000), 1000);
}

TEST(SpinStep, StepsByTheIncrementWithoutRangeAndStopsAtThe32BitBounds) {
    EXPECT_EQ(spinStep("60000", 1000, 1000, true), "61000");
    EXPECT_EQ(spinStep("500", 1000, 1000, false), "-500");
    EXPECT_EQ(spinStep("junk", 1000, 1000, true), "2000");
    EXPECT_EQ(spinStep("2147483000", 1000, 1000, true), "2147483647");
    EXPECT_EQ(spinStep("-2147483000", 1000, 1000, false), "-2147483648");
    EXPECT_EQ(spinStep("99999999999", 1000, 1000, false), "2147482647");
}

TEST(RangeMessage, TooHighComesFirstThenTooLow) {
    EXPECT_EQ(rangeMessage(60000, delay), std::nullopt);
    EXPECT_EQ(rangeMessage(1000, delay), std::nullopt);
    EXPECT_EQ(*rangeMessage(60001, delay),
              "This value is too high. Anything between 1000 and 60000 is acceptable.");
    EXPECT_EQ(*rangeMessage(999, delay), "This value is too low. Anything between 1000 and 60000 is acceptable.");
    EXPECT_EQ(*rangeMessage(10001, flashing),
              "This value is too high. Anything between 1000 and 10000 is acceptable.");
    EXPECT_EQ(rangeMessage(10001, setting(Key::ScanInterval).range), std::nullopt);
}

TEST(RangeMessage, DigitsBeyond32BitsAreTooHighOrTooLowNotTheMinimum) {
    EXPECT_NE(rangeMessage(spinValue("99999999999", 1000), delay)->find("too high"), std::string::npos);
    EXPECT_NE(rangeMessage(spinValue("-99999999999", 1000), delay)->find("too low"), std::string::npos);
}

TEST(TimerInterval, NegativeValuesNeverTickAndHugeOnesAreHeld) {
    EXPECT_EQ(timerInterval(500), 500u);
    EXPECT_EQ(timerInterval(-5), 0u);
    EXPECT_EQ(timerInterval(1LL << 40), 0x7FFFFFFFu);
}

}  // namespace
}  // namespace vr
