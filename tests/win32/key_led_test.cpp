#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "win32/adapters/key_led.h"

namespace vr::win32 {
namespace {

struct KeyLedTest : ::testing::Test {
    vr::fake::Keyboard keyboard;
    TKeyLed led{keyboard};
    void SetUp() override { led.loaded(); }
};

TEST_F(KeyLedTest, AnyBitOfTheKeyByteReadsAsOn) {
    keyboard.keys[20] = 0x80;  // held down, toggle off
    keyboard.keys[144] = 0x01;
    EXPECT_TRUE(led.on(LockKey::Caps));
    EXPECT_TRUE(led.on(LockKey::Num));
    EXPECT_FALSE(led.on(LockKey::Scroll));
}

TEST_F(KeyLedTest, NtFamilyPressesAndReleasesOnlyOnADifference) {
    keyboard.keys[145] = 1;
    led.set(LockKey::Scroll, true);
    EXPECT_TRUE(keyboard.events.empty());
    led.set(LockKey::Caps, true);
    ASSERT_EQ(keyboard.events.size(), 2u);
    EXPECT_EQ(keyboard.events[0].vk, 20);
    EXPECT_EQ(keyboard.events[0].scan, 0x45);
    EXPECT_EQ(keyboard.events[0].flags, TKeyLed::kExtendedKey);
    EXPECT_EQ(keyboard.events[1].scan, 0x45);
    EXPECT_EQ(keyboard.events[1].flags, TKeyLed::kExtendedKey | TKeyLed::kKeyUp);
    EXPECT_EQ(keyboard.stateWrites, 0);
}

TEST_F(KeyLedTest, Win95FamilyReplacesTheWholeByte) {
    keyboard.platform = TKeyLed::kWin95Family;
    keyboard.keys[20] = 0x81;
    keyboard.keys[7] = 0x55;
    led.set(LockKey::Caps, true);
    EXPECT_EQ(keyboard.keys[20], 1);
    led.set(LockKey::Num, false);
    EXPECT_EQ(keyboard.keys[144], 0);
    EXPECT_EQ(keyboard.keys[7], 0x55);  // the rest of the array is written back as read
    EXPECT_EQ(keyboard.stateWrites, 2);
    EXPECT_TRUE(keyboard.events.empty());
}

TEST_F(KeyLedTest, AnyOtherFamilyDoesNothing) {
    keyboard.platform = 0;
    led.set(LockKey::Caps, true);
    EXPECT_TRUE(keyboard.events.empty());
    EXPECT_EQ(keyboard.stateWrites, 0);
}

TEST(KeyLedLoading, SetsDoNothingUntilTheOwnerHasLoaded) {
    vr::fake::Keyboard keyboard;
    TKeyLed led{keyboard};
    led.set(LockKey::Caps, true);
    EXPECT_TRUE(keyboard.events.empty());
    led.loaded();
    led.set(LockKey::Caps, true);
    EXPECT_EQ(keyboard.events.size(), 2u);
}

}  // namespace
}  // namespace vr::win32
