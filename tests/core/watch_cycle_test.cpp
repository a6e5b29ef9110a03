// The watch cycle driven through the form's commands and a fake clock. At design time the delay is 10000 ms,
// the scan and flash intervals 1000 ms, and the class "IMWindowClass".
#include <gtest/gtest.h>

#include "fakes/rig.h"

#include <algorithm>
#include <functional>

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

// ---- The lamps alone, and the tray icon

// A system with a way to the lamps: the alert leaves the lock keys as the user left them.
struct LampsTest : ::testing::Test {
    static fake::Ini ini(fake::Ini extra = {}) {
        fake::Ini all = fake::designTimeIni();
        all.push_back({"FlashingPat", "Caps", "1"});
        all.push_back({"FlashingPat", "Scr", "1"});
        for (auto& e : extra) all.push_back(e);
        return all;
    }
    static void prepare(fake::Rig& r) {
        r.lamps.way = LampRoute::xkbIndicators;
        r.windows.open.insert("IMWindowClass");
        r.lights.lit[0] = true;  // the user's own Caps Lock is on
    }
    fake::Rig rig{ini(), prepare};
    void alert() {
        rig.click(Ctl::btnExecute);
        rig.timers.advance(11000);  // the delay and a scan
        ASSERT_TRUE(rig.form.watch.tmrFlash.enabled());
    }
    static constexpr LockStates kPattern{true, false, true}, kOff{};
};

TEST_F(LampsTest, TheAlertFlashesTheLampsAloneAndTheTrayIconWithThemAtEveryTick) {
    EXPECT_EQ(rig.view.texts[Ctl::lblLampsNote], "The lamps are lit through the X keyboard extension.");
    EXPECT_TRUE(rig.view.enables[Ctl::cbxLampsOnly]);
    alert();
    rig.timers.advance(4000);
    ASSERT_EQ(rig.lamps.shown.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const LockStates want = i % 2 == 0 ? kPattern : kOff;
        EXPECT_TRUE(rig.lamps.shown[i].caps == want.caps && rig.lamps.shown[i].num == want.num &&
                    rig.lamps.shown[i].scroll == want.scroll)
            << "tick " << i;
    }
    EXPECT_TRUE(rig.lights.changes.empty()) << "no lock key switched: the user types as meant";
    EXPECT_EQ(rig.tray.pictures, (std::vector<TrayPicture>{TrayPicture::usual, TrayPicture::usual, TrayPicture::lit,
                                                           TrayPicture::usual, TrayPicture::lit, TrayPicture::usual}))
        << "put out by the Execute, shown at start, then in the flash's rhythm";
}

TEST_F(LampsTest, EveryWayOutGivesTheLampsBackToTheLocksAndLeavesTheLocksAsTheUserLeftThem) {
    const auto wayOut = [&](const char* how, const std::function<void(fake::Rig&)>& out) {
        SCOPED_TRACE(how);
        fake::Rig r{ini(), prepare};
        r.click(Ctl::btnExecute);
        r.timers.advance(12000);
        ASSERT_TRUE(r.form.watch.tmrFlash.enabled());
        r.lights.lit[2] = true;  // the user switches Scroll Lock on during the alert
        out(r);
        EXPECT_FALSE(r.form.watch.tmrFlash.enabled());
        EXPECT_EQ(r.lamps.releases, 1);
        EXPECT_TRUE(r.lamps.lamps.caps && !r.lamps.lamps.num && r.lamps.lamps.scroll) << "the lamps show the locks";
        EXPECT_TRUE(r.lights.changes.empty()) << "and the locks are the user's";
        EXPECT_EQ(r.tray.picture, TrayPicture::usual);
    };
    wayOut("Disable", [](fake::Rig& r) { r.click(Ctl::btnDisable); });
    wayOut("Reset", [](fake::Rig& r) { r.click(Ctl::btnReset); });
    wayOut("Exit, No", [](fake::Rig& r) {
        r.dialogs.answers = {false};
        r.menu(Cmd::Exit);
    });
    wayOut("Exit, Yes", [](fake::Rig& r) { r.menu(Cmd::TrayExit); });
    wayOut("the close box", [](fake::Rig& r) { r.form.close(); });
    wayOut("the session's end", [](fake::Rig& r) { r.form.endSession(); });
}

TEST_F(LampsTest, WithTheBoxOffOrNoWayToTheLampsTheLocksFlashAsTheyAlwaysDid) {
    fake::Rig off{ini({{"Lighting", "LampsOnly", "0"}, {"Lighting", "FlashTrayIcon", "0"}}), prepare};
    off.click(Ctl::btnExecute);
    off.timers.advance(12000);
    EXPECT_TRUE(off.lamps.shown.empty());
    EXPECT_FALSE(off.lights.changes.empty()) << "the locks are switched";
    EXPECT_TRUE(std::all_of(off.tray.pictures.begin(), off.tray.pictures.end(),
                            [](TrayPicture p) { return p == TrayPicture::usual; }))
        << "the tray icon keeps still with its box off";
    off.click(Ctl::btnDisable);
    EXPECT_TRUE(off.lightsOff()) << "and go off at the end, the user's Caps Lock too, as always";
    EXPECT_EQ(off.lamps.releases, 0);

    fake::Rig none{ini(), [](fake::Rig& r) {
                       prepare(r);
                       r.lamps.way = LampRoute::none;
                   }};
    EXPECT_FALSE(none.view.enables[Ctl::cbxLampsOnly]);
    EXPECT_TRUE(none.view.checks[Ctl::cbxLampsOnly]) << "the stored choice stands";
    EXPECT_EQ(none.view.texts[Ctl::lblLampsNote], "Not available on this system: the lock keys are switched instead.");
    none.click(Ctl::btnExecute);
    none.timers.advance(12000);
    EXPECT_FALSE(none.lights.changes.empty());
    EXPECT_TRUE(none.lamps.shown.empty());

    // The box changes the next alert, not the one that runs: it ends the way it began.
    alert();
    rig.timers.advance(1000);
    rig.toggle(Ctl::cbxLampsOnly);
    rig.timers.advance(1000);
    EXPECT_TRUE(rig.lights.changes.empty());
    rig.click(Ctl::btnDisable);
    EXPECT_EQ(rig.lamps.releases, 1);
}

}  // namespace
}  // namespace vr
