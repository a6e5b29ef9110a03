#include <gtest/gtest.h>

#include "settings/profile_value.h"

namespace vr {
namespace {

TEST(ProfileInteger, ReadsDecimalWithBlanksAndSign) {
    EXPECT_EQ(integerOr("1000", 7), 1000);
    EXPECT_EQ(integerOr("   +42", 7), 42);
    EXPECT_EQ(integerOr(" -17", 7), -17);
    EXPECT_EQ(integerOr("007", 7), 7);
}

TEST(ProfileInteger, ReadsHexadecimalAfterDollarXOrZeroX) {
    EXPECT_EQ(integerOr("0x3E8", 7), 1000);
    EXPECT_EQ(integerOr("0X3e8", 7), 1000);
    EXPECT_EQ(integerOr("$3E8", 7), 1000);
    EXPECT_EQ(integerOr("x10", 7), 16);
    EXPECT_EQ(integerOr("X10", 7), 16);
    EXPECT_EQ(integerOr("-$10", 7), -16);
}

TEST(ProfileInteger, AnythingElseGivesTheFallback) {
    for (const char* bad : {"", " ", "abc", "1.5", "12 ", "1e3", "$", "0x", "+", "--1", "$G", "１"})
        EXPECT_EQ(integerOr(bad, 1000), 1000) << '"' << bad << '"';
}

TEST(ProfileInteger, TheSigned32BitRangeIsTheLimit) {
    EXPECT_EQ(integerOr("2147483647", 0), 2147483647);
    EXPECT_EQ(integerOr("-2147483648", 0), -2147483647 - 1);
    EXPECT_EQ(integerOr("2147483648", 5), 5);
    EXPECT_EQ(integerOr("-2147483649", 5), 5);
    EXPECT_EQ(integerOr("$7FFFFFFF", 0), 2147483647);
    EXPECT_EQ(integerOr("$80000000", 5), 5);
}

TEST(ProfileInteger, HugeNumbersSaturateSoTheirSignSurvives) {
    EXPECT_GT(*parseInteger("99999999999999999999999999"), 2147483647);
    EXPECT_LT(*parseInteger("-99999999999999999999999999"), -2147483647);
}

TEST(ProfileBoolean, IsAnIntegerWithNonZeroTrue) {
    EXPECT_TRUE(booleanOr("1", false));
    EXPECT_TRUE(booleanOr("2", false));
    EXPECT_TRUE(booleanOr("-1", false));
    EXPECT_FALSE(booleanOr("0", true));
    EXPECT_FALSE(booleanOr("$0", true));
    EXPECT_TRUE(booleanOr("yes", true));  // no integer: the default
    EXPECT_FALSE(booleanOr("true", false));
    EXPECT_EQ(booleanText(true), "1");
    EXPECT_EQ(booleanText(false), "0");
}

}  // namespace
}  // namespace vr
