// The settings as the main form uses them: the load at start-up with its click side effects, the stores of the
// Set buttons, the shutdown and the "Start with Windows" box, and the start-up registration.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/rig.h"

namespace vr {
namespace {

using Write = fake::Profile::Write;

constexpr const char* kIniPath = "C:\\Program Files\\Vigilamp\\vigilamp.ini";

std::vector<std::string> exceptions(const fake::Dialogs& dialogs) {
    std::vector<std::string> texts;
    for (const auto& box : dialogs.shown)
        if (box.kind == "exception") texts.push_back(box.text);
    return texts;
}

std::size_t indexOf(const std::vector<Ctl>& changes, Ctl control) {
    return std::find(changes.begin(), changes.end(), control) - changes.begin();
}

// ---- The load

TEST(SettingsLoad, WithoutAFileTheControlsTakeTheDefaultsAndNothingIsWritten) {
    fake::Rig rig;
    EXPECT_EQ(rig.view.texts[Ctl::spnDelay], "1000");  // not the design-time 10000
    EXPECT_EQ(rig.form.watch.tmrDelay.interval(), 1000u);
    EXPECT_EQ(rig.view.texts[Ctl::spnScan], "1000");
    EXPECT_EQ(rig.view.texts[Ctl::spnFlashing], "1000");
    for (Ctl box : {Ctl::cbxFlshpatCaps, Ctl::cbxFlshpatNum, Ctl::cbxFlshpatScr}) EXPECT_TRUE(rig.view.checks[box]);
    EXPECT_TRUE(rig.view.checks[Ctl::rbnMinimise]);
    EXPECT_FALSE(rig.view.checks[Ctl::rbnClose] || rig.view.checks[Ctl::rbnNothing]);
    EXPECT_FALSE(rig.view.checks[Ctl::cbxDisableStat] || rig.view.checks[Ctl::cbxEnable] ||
                 rig.view.checks[Ctl::cbxAudEnable]);
    EXPECT_EQ(rig.view.texts[Ctl::lblClassname], "IMWindowClass");
    EXPECT_TRUE(rig.view.checks[Ctl::cbxStart]);
    EXPECT_TRUE(rig.profile.writes.empty());  // no file comes into being at start-up
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_EQ(rig.view.shownPage, Page::Status);
}

TEST(SettingsLoad, EachPathIsLoadedAfterItsEnableBoxAndSurvivesTheLoad) {
    fake::Rig rig{{{"Actions", "Enable", "1"},
                   {"Actions", "File", "C:\\x.exe"},
                   {"Actions", "AudioEnable", "1"},
                   {"Actions", "AudFile", "D:\\a.mp3"}}};
    EXPECT_TRUE(rig.view.checks[Ctl::cbxEnable]);
    EXPECT_TRUE(rig.view.checks[Ctl::cbxAudEnable]);
    EXPECT_EQ(rig.view.texts[Ctl::txtFile], "C:\\x.exe");
    EXPECT_EQ(rig.view.texts[Ctl::txtAudFile], "D:\\a.mp3");
    const auto& changes = rig.view.changes;
    EXPECT_LT(indexOf(changes, Ctl::cbxEnable), indexOf(changes, Ctl::txtFile));
    EXPECT_LT(indexOf(changes, Ctl::cbxAudEnable), indexOf(changes, Ctl::txtAudFile));
    // Whatever the boxes' click behaviours store, no path is written over before it is read.
    for (const Write& w : rig.profile.writes) EXPECT_TRUE(w.key != "File" && w.key != "AudFile") << w.key;
    EXPECT_EQ(rig.profile.get("Actions", "File"), "C:\\x.exe");
    EXPECT_EQ(rig.profile.get("Actions", "AudFile"), "D:\\a.mp3");
}

TEST(SettingsLoad, TheLastTrueWindowActionWinsAndThreeFalseLeaveNoneSelected) {
    auto selected = [](fake::Rig& rig) {
        std::string s;
        for (Ctl c : {Ctl::rbnMinimise, Ctl::rbnClose, Ctl::rbnNothing}) s += rig.view.checks[c] ? '1' : '0';
        return s;
    };
    fake::Rig minimiseAndClose{{{"Actions", "Minimise", "1"}, {"Actions", "Close", "1"}}};
    EXPECT_EQ(selected(minimiseAndClose), "010");
    fake::Rig allFalse{{{"Actions", "Minimise", "0"}, {"Actions", "Close", "0"}, {"Actions", "Nothing", "0"}}};
    EXPECT_EQ(selected(allFalse), "000");
    // A false value after a true one clears only its own button.
    fake::Rig closeOnly{{{"Actions", "Minimise", "0"}, {"Actions", "Close", "1"}, {"Actions", "Nothing", "0"}}};
    EXPECT_EQ(selected(closeOnly), "010");
    fake::Rig all{{{"Actions", "Close", "1"}, {"Actions", "Nothing", "1"}}};
    EXPECT_EQ(selected(all), "001");
}

TEST(SettingsLoad, NoneSelectedLeavesTheFoundWindowAlone) {
    fake::Rig rig{{{"Actions", "Minimise", "0"}}};
    rig.windows.open.insert("IMWindowClass");
    rig.click(Ctl::btnExecute);
    rig.timers.advance(2000);
    ASSERT_TRUE(rig.form.watch.tmrFlash.enabled());
    EXPECT_TRUE(rig.windows.commands.empty());
}

TEST(SettingsLoad, IntegersAreReadAsTheFileFormatGivesThemAndGoUncheckedToSpinAndTimer) {
    fake::Rig hex{{{"Timers", "DelayValue", "0x3E8"}, {"Lighting", "LightingInterval", "$BB8"}}};
    EXPECT_EQ(hex.view.texts[Ctl::spnDelay], "1000");
    EXPECT_EQ(hex.view.texts[Ctl::spnFlashing], "3000");
    EXPECT_EQ(hex.form.watch.tmrFlash.interval(), 3000u);
    fake::Rig junk{{{"Timers", "DelayValue", "abc"}, {"Timers", "ScanInterval", "99999999999"}}};
    EXPECT_EQ(junk.view.texts[Ctl::spnDelay], "1000");
    EXPECT_EQ(junk.view.texts[Ctl::spnScan], "1000");
    // Out of range is loaded as it is and works until Set refuses it.
    fake::Rig low{{{"Timers", "DelayValue", "500"}}};
    EXPECT_EQ(low.view.texts[Ctl::spnDelay], "500");
    EXPECT_EQ(low.form.watch.tmrDelay.interval(), 500u);
    low.click(Ctl::btnInitSet);
    ASSERT_EQ(low.dialogs.shown.size(), 1u);
    EXPECT_EQ(low.dialogs.shown[0].text, "This value is too low. Anything between 1000 and 60000 is acceptable.");
    EXPECT_EQ(low.form.watch.tmrDelay.interval(), 500u);
}

TEST(SettingsLoad, BooleansTreatAnyNonZeroIntegerAsTrueAndOtherTextAsTheDefault) {
    fake::Rig rig{{{"FlashingPat", "Caps", "yes"}, {"FlashingPat", "Num", "2"}, {"FlashingPat", "Scr", "0"},
                   {"Status", "DisableStat", "maybe"}}};
    EXPECT_TRUE(rig.view.checks[Ctl::cbxFlshpatCaps]);
    EXPECT_TRUE(rig.view.checks[Ctl::cbxFlshpatNum]);
    EXPECT_FALSE(rig.view.checks[Ctl::cbxFlshpatScr]);
    EXPECT_FALSE(rig.view.checks[Ctl::cbxDisableStat]);
}

TEST(SettingsLoad, AnEmptyClassNameIsKeptAndWithoutAPatternTheScanFindsNoWindow) {
    fake::Rig rig{{{"Advanced", "Handlename", ""}},
                  [](fake::Rig& r) { r.windows.desktop = {{0x10, "Terminal", "XTerm", {1, 2}}}; }};
    EXPECT_EQ(rig.view.texts[Ctl::lblClassname], "");
    rig.click(Ctl::btnExecute);
    rig.timers.advance(5000);
    EXPECT_TRUE(rig.windows.lookups.empty()) << "a rule that names no window is not looked for";
    EXPECT_FALSE(rig.form.watch.tmrFlash.enabled()) << "no alert on whatever window is open";
    EXPECT_TRUE(rig.form.watch.tmrSearch.enabled()) << "the watch goes on, for a window asking for attention";
}

TEST(SettingsLoad, TheFileIsReadOnceForTheWholeLoad) {
    fake::Rig rig{fake::designTimeIni()};
    EXPECT_EQ(rig.profile.readings, 1);
    EXPECT_FALSE(rig.profile.kept) << "and read afresh afterwards";
}

TEST(SettingsLoad, EveryKeyStoredFromItsControlLoadsBackIntoIt) {
    fake::Rig first{fake::designTimeIni()};
    // Values other than every default, so that a key read from the wrong place shows.
    first.model.setChecked(Ctl::cbxDisableStat, true);
    first.model.setChecked(Ctl::cbxStart, false);
    first.model.setText(Ctl::spnDelay, "7000");
    first.model.setText(Ctl::spnScan, "3000");
    first.model.setText(Ctl::spnFlashing, "2000");
    first.model.setChecked(Ctl::cbxFlshpatCaps, false);
    first.model.setChecked(Ctl::cbxFlshpatNum, true);
    first.model.setChecked(Ctl::cbxFlshpatScr, false);
    first.model.setChecked(Ctl::rbnMinimise, false);
    first.model.setChecked(Ctl::rbnClose, false);
    first.model.setChecked(Ctl::rbnNothing, true);
    first.model.setChecked(Ctl::cbxEnable, true);
    first.model.setText(Ctl::txtFile, "C:\\run me.exe");
    first.model.setChecked(Ctl::cbxAudEnable, false);
    first.model.setText(Ctl::txtAudFile, "C:\\a.wav");
    first.model.setText(Ctl::lblClassname, "Notepad");
    fake::Ini ini;
    for (const SettingKey& key : kSettings) {
        first.form.settings.store(key, first.model);
        ini.push_back({key.section, key.name, *first.profile.get(key.section, key.name)});
    }
    fake::Rig second{ini};
    for (const SettingKey& key : kSettings) {
        if (key.type == ValueType::Boolean)
            EXPECT_EQ(second.view.checks[key.control], first.view.checks[key.control]) << key.name;
        else
            EXPECT_EQ(second.view.texts[key.control], first.view.texts[key.control]) << key.name;
    }
}

// ---- Stores

TEST(SettingsStore, FlashingPatternSetStoresThePatternThenWhatFlashesInOrder) {
    fake::Rig rig;
    rig.model.setChecked(Ctl::cbxFlshpatNum, false);
    rig.model.setChecked(Ctl::cbxFlashTrayIcon, false);
    rig.click(Ctl::btnFlshpatSet);
    const std::vector<Write> expected = {{"FlashingPat", "Caps", "1", false}, {"FlashingPat", "Num", "0", false},
                                         {"FlashingPat", "Scr", "1", false}, {"Lighting", "LampsOnly", "1", false},
                                         {"Lighting", "FlashTrayIcon", "0", false}};
    EXPECT_EQ(rig.profile.writes, expected);
}

TEST(SettingsStore, ARefusedStoreIsShownWithThePathAndEndsTheOperationThere) {
    fake::Rig rig;
    rig.profile.refuse = true;
    rig.click(Ctl::btnFlshpatSet);
    EXPECT_EQ(exceptions(rig.dialogs), std::vector<std::string>{std::string("Unable to write to ") + kIniPath + "."});
    ASSERT_EQ(rig.profile.writes.size(), 1u);  // Num and Scr were not attempted
    EXPECT_EQ(rig.profile.writes[0].key, "Caps");
}

TEST(SettingsStore, CloseStoresTheStatusLightsSettingAndEndsEvenWhenTheStoreIsRefused) {
    fake::Rig rig;
    rig.model.setChecked(Ctl::cbxDisableStat, true);
    rig.form.close();
    EXPECT_EQ(rig.profile.writes, (std::vector<Write>{{"Status", "DisableStat", "1", false}}));
    EXPECT_TRUE(rig.view.terminated);

    fake::Rig refused;
    refused.profile.refuse = true;
    refused.form.close();
    EXPECT_EQ(exceptions(refused.dialogs).size(), 1u);
    EXPECT_TRUE(refused.view.terminated);
}

TEST(SettingsStore, ExitStoresBeforeAskingAndStillAsksAndEndsWhenTheStoreIsRefused) {
    fake::Rig rig;
    rig.dialogs.answers = {false};
    rig.menu(Cmd::Exit);
    EXPECT_EQ(rig.profile.writes, (std::vector<Write>{{"Status", "DisableStat", "0", false}}));
    EXPECT_FALSE(rig.view.terminated);

    fake::Rig refused;
    refused.profile.refuse = true;
    refused.menu(Cmd::TrayExit);
    ASSERT_EQ(refused.dialogs.shown.size(), 2u);
    EXPECT_EQ(refused.dialogs.shown[0].kind, "exception");
    EXPECT_EQ(refused.dialogs.shown[1].kind, "confirm");
    EXPECT_TRUE(refused.view.terminated);
}

// ---- Interval Set buttons

struct IntervalSet : ::testing::Test {
    fake::Rig rig{fake::designTimeIni()};
    void set(Ctl spin, const std::string& text, Ctl button) {
        rig.model.setText(spin, text);
        rig.click(button);
    }
    std::string lastError() {
        return rig.dialogs.shown.empty() || rig.dialogs.shown.back().kind != "error" ? ""
                                                                                      : rig.dialogs.shown.back().text;
    }
};

TEST_F(IntervalSet, ValuesOutOfRangeAreRefusedWithTheirRangeAndNothingChanges) {
    const struct {
        Ctl spin, button;
        const char* text;
        const char* message;
    } cases[] = {
        {Ctl::spnDelay, Ctl::btnInitSet, "60001", "too high. Anything between 1000 and 60000"},
        {Ctl::spnDelay, Ctl::btnInitSet, "999", "too low. Anything between 1000 and 60000"},
        {Ctl::spnFlashing, Ctl::btnFlashSet, "10001", "too high. Anything between 1000 and 10000"},
        {Ctl::spnScan, Ctl::btnScanSet, "99999999999", "too high. Anything between 1000 and 60000"},
        {Ctl::spnScan, Ctl::btnScanSet, "-99999999999", "too low. Anything between 1000 and 60000"},
    };
    for (const auto& c : cases) {
        set(c.spin, c.text, c.button);
        EXPECT_EQ(lastError(), std::string("This value is ") + c.message + " is acceptable.") << c.text;
    }
    EXPECT_EQ(rig.dialogs.shown.size(), std::size(cases));  // one box per press, each of kind "error"
    EXPECT_TRUE(rig.profile.writes.empty());
    EXPECT_EQ(rig.form.watch.tmrDelay.interval(), 10000u);
    EXPECT_EQ(rig.form.watch.tmrSearch.interval(), 1000u);
    EXPECT_EQ(rig.form.watch.tmrFlash.interval(), 1000u);
}

TEST_F(IntervalSet, ValuesInRangeGoToTheTimerAndTheFile) {
    set(Ctl::spnDelay, "60000", Ctl::btnInitSet);
    set(Ctl::spnScan, "10001", Ctl::btnScanSet);  // too high only for the flash
    set(Ctl::spnFlashing, " $3E8", Ctl::btnFlashSet);
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_EQ(rig.form.watch.tmrDelay.interval(), 60000u);
    EXPECT_EQ(rig.form.watch.tmrSearch.interval(), 10001u);
    EXPECT_EQ(rig.form.watch.tmrFlash.interval(), 1000u);
    const std::vector<Write> expected = {{"Timers", "DelayValue", "60000", false},
                                         {"Timers", "ScanInterval", "10001", false},
                                         {"Lighting", "LightingInterval", "1000", false}};
    EXPECT_EQ(rig.profile.writes, expected);
}

TEST_F(IntervalSet, TextThatIsNoNumberAppliesAndStoresTheMinimum) {
    set(Ctl::spnScan, "abc", Ctl::btnScanSet);
    EXPECT_EQ(rig.form.watch.tmrSearch.interval(), 1000u);
    EXPECT_EQ(rig.profile.writes, (std::vector<Write>{{"Timers", "ScanInterval", "1000", false}}));
    EXPECT_EQ(rig.view.texts[Ctl::spnScan], "abc");
}

TEST_F(IntervalSet, AnUnchangedValueIsStoredAgainWithoutRestartingARunningCountdown) {
    rig.click(Ctl::btnExecute);
    rig.timers.advance(6000);
    rig.click(Ctl::btnInitSet);
    rig.click(Ctl::btnInitSet);
    EXPECT_EQ(rig.profile.writes.size(), 2u);
    rig.timers.advance(4000);  // the delay still ends 10000 ms after Execute
    EXPECT_TRUE(rig.form.watch.tmrSearch.enabled());
}

TEST_F(IntervalSet, AChangedValueRestartsARunningCountdown) {
    rig.click(Ctl::btnExecute);
    rig.timers.advance(6000);
    set(Ctl::spnDelay, "5000", Ctl::btnInitSet);
    rig.timers.advance(4999);
    EXPECT_FALSE(rig.form.watch.tmrSearch.enabled());
    rig.timers.advance(1);
    EXPECT_TRUE(rig.form.watch.tmrSearch.enabled());
}

TEST_F(IntervalSet, ARefusedStoreIsShownAfterTheTimerTookTheValue) {
    rig.profile.refuse = true;
    set(Ctl::spnFlashing, "4000", Ctl::btnFlashSet);
    EXPECT_EQ(rig.form.watch.tmrFlash.interval(), 4000u);
    EXPECT_EQ(exceptions(rig.dialogs), std::vector<std::string>{std::string("Unable to write to ") + kIniPath + "."});
}

// ---- Start with Windows

TEST(StartWithWindows, AFirstStartRegistersByTheLoadsClickAndAgainAtStartUpAndStoresNothing) {
    fake::Rig rig;
    EXPECT_TRUE(rig.view.checks[Ctl::cbxStart]);
    EXPECT_EQ(rig.autostart.asked, (std::vector<bool>{true, true}));
    EXPECT_TRUE(rig.autostart.registered);
    EXPECT_TRUE(rig.profile.writes.empty());  // the load does not store the box it restores
}

TEST(StartWithWindows, ARegistrationThisUserMayNotChangeIsSilentAtStartUp) {
    fake::Rig rig{{}, [](fake::Rig& r) { r.autostart.refusal = "not allowed here"; }};
    EXPECT_TRUE(rig.view.checks[Ctl::cbxStart]);
    EXPECT_EQ(rig.autostart.asked.size(), 2u);
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(StartWithWindows, AStoredFalseRunsNoClickAndStartUpRemovesTheRegistration) {
    fake::Rig rig{{{"Status", "StartWithWindows", "0"}}, [](fake::Rig& r) { r.autostart.registered = true; }};
    EXPECT_FALSE(rig.view.checks[Ctl::cbxStart]);
    EXPECT_EQ(rig.autostart.asked, std::vector<bool>{false});
    EXPECT_FALSE(rig.autostart.registered);
}

TEST(StartWithWindows, TheUsersToggleRegistersOrRemovesAtOnceAndStoresTheChoice) {
    fake::Rig rig{{{"Status", "StartWithWindows", "0"}}};
    rig.autostart.asked.clear();
    for (int i = 0; i < 4; ++i) rig.toggle(Ctl::cbxStart);
    EXPECT_EQ(rig.autostart.asked, (std::vector<bool>{true, false, true, false}));
    EXPECT_TRUE(rig.dialogs.shown.empty());
    const std::vector<Write> expected = {{"Status", "StartWithWindows", "1", false},
                                         {"Status", "StartWithWindows", "0", false},
                                         {"Status", "StartWithWindows", "1", false},
                                         {"Status", "StartWithWindows", "0", false}};
    EXPECT_EQ(rig.profile.writes, expected);
}

TEST(StartWithWindows, TheUsersToggleThatMayNotChangeItSaysWhyAndStoresNothing) {
    fake::Rig rig{{}, [](fake::Rig& r) { r.autostart.refusal = "Unable to change it: rights are needed"; }};
    rig.toggle(Ctl::cbxStart);
    EXPECT_EQ(exceptions(rig.dialogs), std::vector<std::string>{"Unable to change it: rights are needed."});
    EXPECT_FALSE(rig.view.checks[Ctl::cbxStart]);
    EXPECT_TRUE(rig.profile.writes.empty());
}

TEST(StartWithWindows, AFailedWriteAtStartUpIsShownAndTheRestOfTheLoadStillHappens) {
    fake::Rig rig{{{"Timers", "DelayValue", "3000"}, {"Advanced", "Handlename", "Notepad"}},
                  [](fake::Rig& r) { r.autostart.failWrite = true; }};
    // Once from the load's click of the box, once from start-up's own registration.
    const std::string failed = "Failed to set data for 'Vigilamp Rizu'";
    EXPECT_EQ(exceptions(rig.dialogs), (std::vector<std::string>{failed, failed}));
    EXPECT_EQ(rig.view.texts[Ctl::spnDelay], "3000");
    EXPECT_EQ(rig.form.watch.tmrDelay.interval(), 3000u);
    EXPECT_EQ(rig.view.texts[Ctl::lblClassname], "Notepad");
    EXPECT_TRUE(rig.view.checks[Ctl::cbxFlshpatScr]);
}

TEST(StartWithWindows, AFailedWriteOnTheUsersTickIsShownAndTheChoiceIsNotStored) {
    fake::Rig rig{{{"Status", "StartWithWindows", "0"}}};
    rig.autostart.failWrite = true;
    rig.toggle(Ctl::cbxStart);
    EXPECT_EQ(exceptions(rig.dialogs), std::vector<std::string>{"Failed to set data for 'Vigilamp Rizu'"});
    EXPECT_TRUE(rig.profile.writes.empty());
}

}  // namespace
}  // namespace vr
