// Start-up, shutdown, navigation and the exception box of the main form.
#include <gtest/gtest.h>

#include "fakes/rig.h"

namespace vr {
namespace {

TEST(ExceptionText, AddsAFullStopOnlyAfterACharacterThatSortsAboveIt) {
    EXPECT_EQ(exceptionText("Unable to write to C:\\a.ini"), "Unable to write to C:\\a.ini.");
    EXPECT_EQ(exceptionText("Done."), "Done.");
    EXPECT_EQ(exceptionText("Really!"), "Really!");  // '!' sorts below '.'
    EXPECT_EQ(exceptionText("(a)"), "(a)");
    EXPECT_EQ(exceptionText("Failed to set data for 'x'"), "Failed to set data for 'x'");
    EXPECT_EQ(exceptionText("x/"), "x/.");
    EXPECT_EQ(exceptionText(""), "");
}

struct MainFormTest : ::testing::Test {
    fake::Rig rig{fake::designTimeIni()};
};

TEST_F(MainFormTest, StartUpShowsNothingStartsNoWatchAndGivesTheTimersTheSpinValues) {
    EXPECT_FALSE(rig.view.visible);
    EXPECT_EQ(rig.view.shownPage, Page::Status);
    EXPECT_FALSE(rig.form.watch.tmrDelay.enabled());
    EXPECT_EQ(rig.form.watch.tmrDelay.interval(), 10000u);
    EXPECT_EQ(rig.form.watch.tmrSearch.interval(), 1000u);
    EXPECT_EQ(rig.form.watch.tmrFlash.interval(), 1000u);
}

TEST_F(MainFormTest, PagesAreSelectedByNameInAnyCaseAndUnknownNamesChangeNothing) {
    rig.form.selectPage("lIGHTING");
    EXPECT_EQ(rig.view.shownPage, Page::Lighting);
    rig.form.selectPage("Lightings");
    rig.form.selectPage("");
    EXPECT_EQ(rig.view.shownPage, Page::Lighting);
    const int changes = rig.view.pageChanges;
    rig.form.selectPage("Lighting");
    EXPECT_EQ(rig.view.pageChanges, changes);  // the page already shown changes nothing
}

TEST_F(MainFormTest, TheFirstMenuSelectsEachPageAndItsFirstItemTheStatusPage) {
    const std::pair<Cmd, Page> items[] = {{Cmd::ShowTimersPage, Page::Timers},      {Cmd::ShowLightingPage, Page::Lighting},
                                          {Cmd::ShowActionsPage, Page::Actions},   {Cmd::ShowAdvancedPage, Page::Advanced},
                                          {Cmd::ShowStatusPage, Page::Status}};
    for (auto [item, page] : items) {
        rig.menu(item);
        EXPECT_EQ(rig.view.shownPage, page);
    }
}

TEST_F(MainFormTest, HideAndTheShowStepChangeOnlyVisibility) {
    rig.menu(Cmd::TrayShow);
    EXPECT_TRUE(rig.view.visible);
    rig.click(Ctl::btnExecute);
    rig.menu(Cmd::Hide);
    EXPECT_FALSE(rig.view.visible);
    EXPECT_TRUE(rig.form.watch.tmrDelay.enabled());
}

TEST_F(MainFormTest, CloseEndsAtOnceWithoutAskingAndWithTheLightsOff) {
    rig.lights.lit[1] = true;
    rig.form.close();
    EXPECT_TRUE(rig.view.terminated);
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_TRUE(rig.lightsOff());
}

TEST_F(MainFormTest, ExitAsksAndNoKeepsTheProgramRunningWithTheAlertStopped) {
    rig.windows.open.insert("IMWindowClass");
    rig.model.setChecked(Ctl::cbxFlshpatCaps, true);
    rig.click(Ctl::btnExecute);
    rig.timers.advance(12000);
    rig.dialogs.answers = {false};
    rig.menu(Cmd::TrayExit);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].kind, "confirm");
    EXPECT_EQ(rig.dialogs.shown[0].text, "Are you sure you wish to close Vigilamp?");
    EXPECT_FALSE(rig.view.terminated);
    EXPECT_FALSE(rig.form.watch.tmrFlash.enabled());
    EXPECT_TRUE(rig.lightsOff());
    EXPECT_EQ(rig.status(), "Vigilamp is idle.");
}

TEST_F(MainFormTest, ExitAnsweredNoWhileScanningSaysTheWatchGoesOn) {
    rig.click(Ctl::btnExecute);
    rig.timers.advance(10500);
    rig.dialogs.answers = {false};
    rig.menu(Cmd::Exit);
    EXPECT_EQ(rig.status(), "Vigilamp is active!");
    EXPECT_TRUE(rig.form.watch.tmrSearch.enabled());
}

TEST_F(MainFormTest, ExitAnsweredYesEndsWithTheLightsOffEvenWhenTheAlertRestartedMeanwhile) {
    rig.windows.open.insert("IMWindowClass");
    rig.model.setChecked(Ctl::cbxFlshpatNum, true);
    rig.click(Ctl::btnExecute);
    rig.timers.advance(10500);
    // While the box is open the scan finds the window and the flash switches Num Lock on.
    rig.dialogs.whileOpen = [&] {
        rig.timers.advance(2000);
        ASSERT_TRUE(rig.lights.on(LockKey::Num));
    };
    rig.menu(Cmd::Exit);
    EXPECT_TRUE(rig.view.terminated);
    EXPECT_TRUE(rig.lightsOff());
    EXPECT_FALSE(rig.form.watch.tmrFlash.enabled());
}

TEST_F(MainFormTest, AboutShowsTheAboutWindowEachTimeAndLeavesTheWatchAndTheMainWindowAlone) {
    rig.click(Ctl::btnExecute);
    const auto changes = rig.view.changes;
    rig.menu(Cmd::About);
    rig.menu(Cmd::About);
    EXPECT_EQ(rig.view.aboutShows, 2);
    EXPECT_FALSE(rig.view.visible);  // not modal, and not the main window
    EXPECT_TRUE(rig.form.watch.tmrDelay.enabled());
    EXPECT_EQ(rig.view.changes, changes);
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST_F(MainFormTest, AnEndFromOutsideNeverWaitsOnABoxAndEndsWithTheLightsOffWhateverFails) {
    rig.windows.open.insert("IMWindowClass");
    rig.model.setChecked(Ctl::cbxFlshpatCaps, true);
    rig.click(Ctl::btnExecute);
    rig.timers.advance(12000);
    ASSERT_FALSE(rig.lightsOff());
    rig.profile.refuse = true;  // a read-only file, folder or a full disk
    rig.player.failClose = "The media player could not be closed";
    rig.form.endFromOutside();
    EXPECT_TRUE(rig.lightsOff());
    EXPECT_FALSE(rig.form.watch.tmrFlash.enabled());
    EXPECT_TRUE(rig.view.terminated);
    EXPECT_TRUE(rig.dialogs.shown.empty()) << "no box";
    EXPECT_EQ(rig.dialogs.reports, (std::vector<std::string>{"The media player could not be closed.",
                                                             "Unable to write to " + rig.profile.where + "."}));
    EXPECT_EQ(rig.profile.writes.back().key, "DisableStat") << "it still tried to keep the choice";

    fake::Rig session{fake::designTimeIni()};  // the session's end goes the same way
    session.form.endSession();
    EXPECT_TRUE(session.view.terminated);
    EXPECT_EQ(session.player.calls, (std::vector<std::string>{"close"}));
}

TEST(TrayMenu, ShowIsTheDefaultAndTheItemsRunTheirCommands) {
    fake::Rig rig(fake::designTimeIni());
    rig.menu(Cmd::TrayShow);
    EXPECT_TRUE(rig.view.visible);
    rig.menu(Cmd::TrayExecute);  // "Execute"
    EXPECT_EQ(rig.status(), "Vigilamp is active!");
    EXPECT_TRUE(rig.timers.running(static_cast<int>(TimerId::tmrDelay)));
    rig.menu(Cmd::TrayDisable);
    EXPECT_EQ(rig.status(), "Vigilamp is idle.");
    EXPECT_FALSE(rig.timers.running(static_cast<int>(TimerId::tmrDelay)));
    rig.menu(Cmd::TrayReset);  // "Reset"
    EXPECT_EQ(rig.status(), "Vigilamp is active!");
    rig.dialogs.answers = {false};
    rig.menu(Cmd::TrayExit);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].text, "Are you sure you wish to close Vigilamp?");
    EXPECT_FALSE(rig.view.terminated);
    rig.menu(Cmd::TrayExit);
    EXPECT_TRUE(rig.view.terminated);
}

}  // namespace
}  // namespace vr
