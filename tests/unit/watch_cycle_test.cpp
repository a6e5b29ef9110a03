// The watch cycle driven through the form's commands and a fake clock. At design time the delay is 10000 ms,
// the scan and flash intervals 1000 ms, and the class "IMWindowClass".
#include <gtest/gtest.h>

#include "fakes/rig.h"

namespace vr {
namespace {

struct WatchCycleTest : ::testing::Test {
    fake::Rig rig{fake::designTimeIni()};
    WatchCycle& watch = rig.form.watch;
    void SetUp() override { rig.windows.open.insert("IMWindowClass"); }
    bool alerting() { return watch.tmrFlash.enabled(); }
};

TEST_F(WatchCycleTest, ExecuteWithTheWindowOpenAlertsAfterDelayPlusScanInterval) {
    rig.click(Ctl::btnExecute);
    EXPECT_EQ(rig.status(), "Vigilamp is active!");
    rig.timers.advance(10999);
    EXPECT_TRUE(rig.windows.lookups.empty());
    EXPECT_TRUE(watch.tmrSearch.enabled());
    rig.timers.advance(1);
    // The scan found it, and the window action looked it up again.
    EXPECT_EQ(rig.windows.lookups, (std::vector<std::string>{"IMWindowClass", "IMWindowClass"}));
    EXPECT_TRUE(alerting());
    EXPECT_FALSE(watch.tmrSearch.enabled());
    EXPECT_FALSE(watch.tmrDelay.enabled());
    EXPECT_EQ(rig.status(), "Vigilamp is active!");  // the alert itself changes no text
}

TEST_F(WatchCycleTest, ScanningGoesOnEveryIntervalWhileNoWindowMatches) {
    rig.windows.open.clear();
    rig.click(Ctl::btnExecute);
    rig.timers.advance(14000);
    EXPECT_EQ(rig.windows.lookups.size(), 4u);
    EXPECT_FALSE(watch.tmrDelay.enabled());  // the first scan switched the delay off
    EXPECT_FALSE(alerting());
}

TEST_F(WatchCycleTest, ASecondExecuteDuringTheDelayDoesNotProlongIt) {
    rig.click(Ctl::btnExecute);
    rig.timers.advance(5000);
    rig.menu(Cmd::Execute);
    rig.timers.advance(6000);
    EXPECT_TRUE(alerting());
}

TEST_F(WatchCycleTest, ExecuteWhileScanningKeepsTheScanCountdown) {
    rig.windows.open.clear();
    rig.click(Ctl::btnExecute);
    rig.timers.advance(10500);  // scanning, next scan at 11000
    rig.click(Ctl::btnExecute);
    rig.timers.advance(500);
    EXPECT_EQ(rig.windows.lookups.size(), 1u);
    EXPECT_FALSE(watch.tmrDelay.enabled());  // that scan switched the new delay off again
}

TEST_F(WatchCycleTest, ResetDuringAnAlertStopsTheLightsAndWatchesAnew) {
    rig.model.setChecked(Ctl::cbxFlshpatCaps, true);
    rig.click(Ctl::btnExecute);
    rig.timers.advance(12000);  // alert at 11000, first flash at 12000
    ASSERT_TRUE(rig.lights.on(LockKey::Caps));
    rig.click(Ctl::btnReset);
    EXPECT_TRUE(rig.lightsOff());
    EXPECT_FALSE(alerting());
    EXPECT_EQ(rig.status(), "Vigilamp is active!");
    rig.timers.advance(10999);
    EXPECT_FALSE(alerting());
    rig.timers.advance(1);
    EXPECT_TRUE(alerting());  // the window is still open
}

TEST_F(WatchCycleTest, DisableWhileScanningStopsBothTimers) {
    rig.windows.open.clear();
    rig.click(Ctl::btnExecute);
    rig.timers.advance(10000);
    ASSERT_TRUE(watch.tmrSearch.enabled());
    rig.menu(Cmd::TrayDisable);
    EXPECT_FALSE(watch.tmrDelay.enabled());
    EXPECT_FALSE(watch.tmrSearch.enabled());
    EXPECT_EQ(rig.status(), "Vigilamp is idle.");
    rig.timers.advance(60000);
    EXPECT_TRUE(rig.windows.lookups.empty());
}

TEST_F(WatchCycleTest, EachCommandSetsAllThreeLightsOffEvenWithoutAnAlert) {
    for (Ctl command : {Ctl::btnExecute, Ctl::btnDisable, Ctl::btnReset}) {
        rig.lights.lit[0] = rig.lights.lit[1] = rig.lights.lit[2] = true;
        rig.click(command);
        EXPECT_TRUE(rig.lightsOff()) << static_cast<int>(command);
    }
}

TEST_F(WatchCycleTest, TheFlashAlternatesBetweenThePatternAndAllOff) {
    rig.model.setChecked(Ctl::cbxFlshpatScr, true);
    rig.click(Ctl::btnExecute);
    rig.timers.advance(11000);
    rig.lights.lit[1] = true;  // the user's own Num Lock, outside the pattern: the flash puts it off
    std::vector<bool> scroll;
    for (int tick = 0; tick < 4; ++tick) {
        rig.timers.advance(1000);
        scroll.push_back(rig.lights.on(LockKey::Scroll));
    }
    EXPECT_EQ(scroll, (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(rig.lights.on(LockKey::Caps));
    EXPECT_FALSE(rig.lights.on(LockKey::Num));
}

TEST_F(WatchCycleTest, ReadsThatSeeEverySetAtOnceStillFlash) {
    rig.model.setChecked(Ctl::cbxFlshpatCaps, true);
    rig.model.setChecked(Ctl::cbxFlshpatNum, true);
    rig.click(Ctl::btnExecute);
    rig.timers.advance(14000);
    EXPECT_TRUE(rig.lights.on(LockKey::Caps));
    EXPECT_TRUE(rig.lights.on(LockKey::Num));
    EXPECT_FALSE(rig.lights.on(LockKey::Scroll));
    // Three ticks: two lights on, both off, both on again; nothing is switched twice within a tick.
    using C = fake::LockLights::Change;
    EXPECT_EQ(rig.lights.changes, (std::vector<C>{{LockKey::Caps, true}, {LockKey::Num, true},
                                                  {LockKey::Caps, false}, {LockKey::Num, false},
                                                  {LockKey::Caps, true}, {LockKey::Num, true}}));
}

TEST_F(WatchCycleTest, AnEmptyPatternAlertsWithAllLightsOff) {
    rig.click(Ctl::btnExecute);
    rig.timers.advance(15000);
    EXPECT_TRUE(alerting());
    EXPECT_TRUE(rig.lights.changes.empty());
}

TEST_F(WatchCycleTest, TheScanReadsTheTargetClassAfreshAtEveryTick) {
    rig.model.setText(Ctl::lblClassname, "");
    rig.click(Ctl::btnExecute);
    rig.timers.advance(11000);
    rig.model.setText(Ctl::lblClassname, "Notepad");
    rig.timers.advance(1000);
    // The empty class names no window: its tick asked for nothing.
    EXPECT_EQ(rig.windows.lookups, (std::vector<std::string>{"Notepad"}));
}

TEST_F(WatchCycleTest, AnIntervalOfZeroNeverTicks) {
    // Start-up gives the scan timer the loaded value unchecked.
    fake::Ini ini = fake::designTimeIni();
    ini.push_back({"Timers", "ScanInterval", "0"});
    fake::Rig zero{ini};
    zero.windows.open.insert("IMWindowClass");
    zero.click(Ctl::btnExecute);
    zero.timers.advance(100000);
    EXPECT_TRUE(zero.windows.lookups.empty());
    EXPECT_TRUE(zero.form.watch.tmrSearch.enabled());
}

TEST_F(WatchCycleTest, NoTimerLeftIsShownAndTheCommandEndsThere) {
    rig.timers.available = 0;
    rig.click(Ctl::btnExecute);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].kind, "exception");
    EXPECT_EQ(rig.dialogs.shown[0].text, "Not enough timers available.");
    EXPECT_EQ(rig.status(), "Vigilamp is idle.");
    EXPECT_FALSE(watch.tmrDelay.enabled());
}

}  // namespace
}  // namespace vr
