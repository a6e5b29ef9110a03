// The status lights mirror the lock keys twice a second, and "Disable status lights" stops and greys them.
#include <gtest/gtest.h>

#include "fakes/rig.h"

namespace vr {
namespace {

struct StatusLightsTest : ::testing::Test {
    fake::Rig rig{fake::designTimeIni()};
    StatusLightsTest() { rig.menu(Cmd::TrayShow); }  // the lights mirror the keys where they can be seen
    Led& caps = rig.model.led(Ctl::ledStatCaps);
    Led& num = rig.model.led(Ctl::ledStatNum);
    Led& scroll = rig.model.led(Ctl::ledStatScr);
    std::vector<bool> lit() { return {caps.Active(), num.Active(), scroll.Active()}; }
    std::vector<Color> lows() { return {caps.palette().Low, num.palette().Low, scroll.palette().Low}; }
};

TEST_F(StatusLightsTest, StartUnlitGreenAndMirrorTheKeysFromTheFirstTick) {
    EXPECT_EQ(lit(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(lows(), (std::vector<Color>{0x008000, 0x008000, 0x008000}));
    EXPECT_EQ(caps.palette().High, 0x00FF00u);
    rig.lights.lit[0] = true;
    rig.lights.lit[2] = true;
    rig.timers.advance(499);
    EXPECT_FALSE(caps.Active());
    rig.timers.advance(1);
    EXPECT_EQ(lit(), (std::vector<bool>{true, false, true}));
}

TEST_F(StatusLightsTest, AQuietTickRedrawsNothingAndLooksAtTheKeyboardOnce) {
    rig.lights.lit[1] = true;
    rig.timers.advance(500);
    const auto before = rig.view.redraws;
    const int reads = rig.lights.looks;
    rig.timers.advance(5000);
    EXPECT_EQ(rig.view.redraws, before);
    EXPECT_EQ(rig.lights.looks - reads, 10);  // ten ticks, one read of all three keys each
}

TEST_F(StatusLightsTest, DisablingStopsTheMirrorAndShowsThemUnlitMaroon) {
    rig.lights.lit[0] = true;
    rig.timers.advance(500);
    ASSERT_TRUE(caps.Active());
    rig.form.setChecked(Ctl::cbxDisableStat, true);
    EXPECT_EQ(lit(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(lows(), (std::vector<Color>{0x000080, 0x000080, 0x000080}));
    EXPECT_FALSE(rig.form.tmrStatus.enabled());
    rig.lights.lit[1] = rig.lights.lit[2] = true;
    rig.timers.advance(3000);
    EXPECT_EQ(lit(), (std::vector<bool>{false, false, false}));
}

TEST_F(StatusLightsTest, EnablingLightsAllThreeAtOnceUntilTheFirstTick) {
    rig.form.setChecked(Ctl::cbxDisableStat, true);
    rig.lights.lit[1] = true;
    rig.form.setChecked(Ctl::cbxDisableStat, false);
    EXPECT_EQ(lit(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(lows(), (std::vector<Color>{0x008000, 0x008000, 0x008000}));
    rig.timers.advance(499);
    EXPECT_EQ(lit(), (std::vector<bool>{true, true, true}));
    rig.timers.advance(1);
    EXPECT_EQ(lit(), (std::vector<bool>{false, true, false}));
}

TEST_F(StatusLightsTest, TheLightsFollowAFlashingAlert) {
    rig.windows.open.insert("IMWindowClass");
    rig.model.setChecked(Ctl::cbxFlshpatScr, true);
    rig.click(Ctl::btnExecute);
    std::vector<bool> seen;
    rig.timers.advance(11500);  // sample half-way between flashes (at 12000, 13000, ...)
    for (int i = 0; i < 4; ++i) {
        rig.timers.advance(1000);
        seen.push_back(scroll.Active());
    }
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true, false}));
}

TEST(Led, SettingActiveToItsPresentValueRedrawsNothing) {
    Led led;
    int redraws = 0;
    led.redraw = [&] { ++redraws; };
    EXPECT_EQ(led.face(), 0x000080u);  // a new widget's own unlit colour
    led.setActive(false);
    EXPECT_EQ(redraws, 0);
    led.setActive(true);
    EXPECT_EQ(led.face(), 0x0000FFu);
    led.setActive(true);
    EXPECT_EQ(redraws, 1);
    led.setHigh(0x00FF00);
    EXPECT_EQ(redraws, 2);  // a new colour shows at once
    EXPECT_EQ(led.face(), 0x00FF00u);
}

}  // namespace
}  // namespace vr

namespace vr {
namespace {

TEST(StatusLightsAtStartUp, HiddenInTheTrayTheyLookAtNothingAndShowTheKeysTheMomentTheWindowAppears) {
    fake::Rig rig{fake::designTimeIni()};
    rig.lights.lit[0] = true;
    rig.timers.advance(5000);
    EXPECT_EQ(rig.lights.looks, 0);
    EXPECT_FALSE(rig.form.tmrStatus.enabled());
    rig.menu(Cmd::TrayShow);
    EXPECT_TRUE(rig.model.led(Ctl::ledStatCaps).Active());
    EXPECT_TRUE(rig.form.tmrStatus.enabled());
    rig.menu(Cmd::Hide);
    EXPECT_FALSE(rig.form.tmrStatus.enabled());
    rig.menu(Cmd::TrayShow);
    rig.form.mainHidden();  // minimised into the tray
    EXPECT_FALSE(rig.form.tmrStatus.enabled());
}

TEST(StatusLightsAtStartUp, AStoredDisableStatStartsThemMaroonWithNoMirror) {
    fake::Rig rig{{{"Status", "DisableStat", "1"}}};
    rig.menu(Cmd::TrayShow);
    rig.lights.lit[0] = true;
    rig.timers.advance(2000);
    EXPECT_TRUE(rig.view.checks.at(Ctl::cbxDisableStat));
    EXPECT_FALSE(rig.form.tmrStatus.enabled());
    EXPECT_FALSE(rig.model.led(Ctl::ledStatCaps).Active());
    EXPECT_EQ(rig.model.led(Ctl::ledStatCaps).palette().Low, 0x000080u);
}

}  // namespace
}  // namespace vr
