// The alert actions and the Actions page: what an alert does and reads, the player's failures, and what each
// handler of the page enables and stores, in order.
#include <gtest/gtest.h>

#include "fakes/rig.h"
#include "form/main_form_actions.h"

namespace vr {
namespace {

using Write = fake::Profile::Write;
using Journal = fake::Journal;

std::vector<std::string> exceptions(const fake::Dialogs& dialogs) {
    std::vector<std::string> texts;
    for (const auto& box : dialogs.shown)
        if (box.kind == "exception") texts.push_back(box.text);
    return texts;
}

std::string closeCommand() { return "command:close"; }

// ---- The alert

// Design-time settings with the watched window open; an alert comes 11 s after Execute.
struct AlertTest : ::testing::Test {
    fake::Rig rig{fake::designTimeIni()};
    void SetUp() override { rig.windows.open.insert("IMWindowClass"); }
    void alert() {
        rig.click(Ctl::btnExecute);
        rig.timers.advance(11000);
        ASSERT_TRUE(rig.form.watch.tmrFlash.enabled());
    }
    // Enables both actions with these paths, as the user's clicks would.
    void enableBoth(const std::string& program, const std::string& sound) {
        rig.toggle(Ctl::cbxEnable);
        rig.toggle(Ctl::cbxAudEnable);
        rig.model.setText(Ctl::txtFile, program);
        rig.model.setText(Ctl::txtAudFile, sound);
    }
    void select(Ctl radio) {
        for (Ctl c : {Ctl::rbnMinimise, Ctl::rbnClose, Ctl::rbnNothing}) rig.model.setChecked(c, c == radio);
    }
};

TEST_F(AlertTest, TheProgramStartsFirstThenTheSoundThenTheWindowIsClosed) {
    enableBoth("C:\\Tools\\notify.exe", "D:\\Sounds\\ring.mp3");
    select(Ctl::rbnClose);
    rig.journal.clear();
    alert();
    EXPECT_EQ(rig.journal, (Journal{"find:IMWindowClass", "open:C:\\Tools\\notify.exe", "url:D:\\Sounds\\ring.mp3",
                                    "find:IMWindowClass", closeCommand()}));
    EXPECT_EQ(rig.launcher.calls, (std::vector<fake::Launcher::Call>{{"program", "C:\\Tools\\notify.exe"}}));
    EXPECT_EQ(rig.windows.commands[0].first, fake::Windows::handleOf("IMWindowClass"));
}

TEST_F(AlertTest, TheActionsReadTheControlsAsTheyAreAtTheAlertNotAsStored) {
    enableBoth("C:\\old.exe", "D:\\old.mp3");
    rig.click(Ctl::btnExecute);
    rig.timers.advance(10500);
    // Typed during the wait, stored nowhere.
    rig.model.setText(Ctl::txtFile, "notepad.exe");
    rig.model.setText(Ctl::txtAudFile, "D:\\new.mp3");
    select(Ctl::rbnNothing);
    rig.timers.advance(500);
    ASSERT_EQ(rig.launcher.calls.size(), 1u);
    EXPECT_EQ(rig.launcher.calls[0].target, "notepad.exe");  // as typed: the desktop resolves it
    EXPECT_EQ(rig.player.calls, (std::vector<std::string>{"url:D:\\new.mp3"}));
    EXPECT_TRUE(rig.windows.commands.empty());
}

TEST_F(AlertTest, WithBothBoxesUntickedOnlyTheWindowActionRunsAndMinimiseIsTheDesignChoice) {
    rig.model.setText(Ctl::txtFile, "C:\\x.exe");  // a path without its box ticked does nothing
    alert();
    EXPECT_TRUE(rig.launcher.calls.empty());
    EXPECT_TRUE(rig.player.calls.empty());
    ASSERT_EQ(rig.windows.commands.size(), 1u);
    EXPECT_EQ(rig.windows.commands[0].second, "minimise");
}

TEST_F(AlertTest, AnEmptySoundPathIsStillGivenToThePlayer) {
    rig.toggle(Ctl::cbxAudEnable);
    alert();
    EXPECT_EQ(rig.player.calls, (std::vector<std::string>{"url:"}));
}

TEST_F(AlertTest, TheWindowIsLookedUpAgainByTheClassShownAtThatMoment) {
    // Between the scan and the action the user picks another class, whose window exists.
    rig.windows.found = [&](const std::string& cls) {
        if (cls != "IMWindowClass") return;
        rig.model.setText(Ctl::lblClassname, "Notepad");
        rig.windows.open.insert("Notepad");
    };
    alert();
    EXPECT_EQ(rig.windows.lookups, (std::vector<std::string>{"IMWindowClass", "Notepad"}));
    ASSERT_EQ(rig.windows.commands.size(), 1u);
    EXPECT_EQ(rig.windows.commands[0].first, fake::Windows::handleOf("Notepad"));
}

TEST_F(AlertTest, AWindowThatClosedAfterTheScanIsSimplyNotFound) {
    rig.windows.found = [&](const std::string&) { rig.windows.open.clear(); };
    alert();
    EXPECT_EQ(rig.windows.lookups.size(), 2u);
    EXPECT_TRUE(rig.windows.commands.empty());
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST_F(AlertTest, TheActionsRunOncePerAlert) {
    enableBoth("C:\\x.exe", "D:\\a.mp3");
    alert();
    rig.timers.advance(30000);
    EXPECT_EQ(rig.launcher.calls.size(), 1u);
    EXPECT_EQ(rig.player.calls.size(), 1u);
    EXPECT_EQ(rig.windows.commands.size(), 1u);
    rig.click(Ctl::btnReset);
    rig.timers.advance(11000);
    EXPECT_EQ(rig.launcher.calls.size(), 2u);  // a new watch, a new alert
}

TEST_F(AlertTest, APlayerThatRefusesTheFileIsShownAndSkipsTheWindowActionButTheAlertGoesOn) {
    enableBoth("C:\\x.exe", "D:\\broken.mp3");
    rig.model.setChecked(Ctl::cbxFlshpatCaps, true);
    rig.player.failUrl = "The sound D:\\broken.mp3 could not be played: unspecified error";
    alert();
    EXPECT_EQ(exceptions(rig.dialogs),
              (std::vector<std::string>{"The sound D:\\broken.mp3 could not be played: unspecified error."}));
    EXPECT_EQ(rig.launcher.calls.size(), 1u);  // the program had already started
    EXPECT_TRUE(rig.windows.commands.empty());
    rig.timers.advance(1000);
    EXPECT_TRUE(rig.lights.on(LockKey::Caps));  // the flash goes on
    EXPECT_EQ(rig.status(), "Vigilamp is active!");
}

// ---- Stopping and closing the player

TEST_F(AlertTest, ExecuteLeavesTheSoundPlayingWhileDisableAndResetStopIt) {
    enableBoth("", "D:\\a.mp3");
    alert();
    rig.click(Ctl::btnExecute);
    EXPECT_EQ(rig.player.playing, "D:\\a.mp3");
    rig.click(Ctl::btnDisable);
    EXPECT_FALSE(rig.player.playing);
    rig.player.calls.clear();
    rig.click(Ctl::btnReset);
    rig.menu(Cmd::TrayDisable);
    EXPECT_EQ(rig.player.calls, (std::vector<std::string>{"stop", "stop"}));
}

TEST_F(AlertTest, AStopThatFailsIsShownAfterTheTimersAndLightsAreOff) {
    rig.model.setChecked(Ctl::cbxFlshpatNum, true);
    alert();
    rig.timers.advance(1000);
    rig.player.failStop = "The sound could not be stopped";
    rig.click(Ctl::btnReset);
    EXPECT_EQ(exceptions(rig.dialogs), (std::vector<std::string>{"The sound could not be stopped."}));
    EXPECT_TRUE(rig.lightsOff());
    EXPECT_FALSE(rig.form.watch.tmrFlash.enabled());
    EXPECT_FALSE(rig.form.watch.tmrDelay.enabled());  // Reset ended at the failure: no new watch either
    EXPECT_FALSE(rig.form.watch.tmrSearch.enabled());
    EXPECT_EQ(rig.status(), "Vigilamp is idle.");
}

TEST_F(AlertTest, ClosingTheMainWindowClosesThePlayerBeforeStoringAndStillEndsWhenItFails) {
    rig.player.failClose = "The player could not be closed";
    rig.form.close();
    EXPECT_EQ(rig.player.calls, (std::vector<std::string>{"close"}));
    EXPECT_EQ(exceptions(rig.dialogs), (std::vector<std::string>{"The player could not be closed."}));
    EXPECT_EQ(rig.profile.get("Status", "DisableStat"), "0");
    EXPECT_TRUE(rig.view.terminated);
}

TEST_F(AlertTest, ExitClosesThePlayerWhateverTheAnswerAndAFailureDoesNotKeepTheProgramRunning) {
    rig.dialogs.answers = {false};
    rig.menu(Cmd::Exit);
    EXPECT_EQ(rig.player.calls, (std::vector<std::string>{"close"}));
    EXPECT_FALSE(rig.view.terminated);
    rig.player.failClose = "The player could not be closed";
    rig.menu(Cmd::TrayExit);  // answered Yes
    EXPECT_EQ(exceptions(rig.dialogs).size(), 1u);
    EXPECT_TRUE(rig.view.terminated);
}

TEST_F(AlertTest, AClosedPlayerPlaysAgainAtTheNextAlert) {
    rig.toggle(Ctl::cbxAudEnable);
    rig.dialogs.answers = {false};
    rig.menu(Cmd::Exit);
    alert();
    EXPECT_EQ(rig.player.calls, (std::vector<std::string>{"close", "url:"}));
}

// ---- The Actions page

struct ActionsPageTest : ::testing::Test {
    fake::Rig rig{fake::designTimeIni()};
    std::vector<Write> writesAfter(std::size_t from) {
        return {rig.profile.writes.begin() + static_cast<std::ptrdiff_t>(from), rig.profile.writes.end()};
    }
    bool allEnabled(std::initializer_list<Ctl> controls, bool on) {
        for (Ctl c : controls)
            if (rig.view.enables.at(c) != on) return false;
        return true;
    }
};

constexpr std::initializer_list<Ctl> kProgramControls = {Ctl::txtFile, Ctl::btnBrowse, Ctl::btnClear};
constexpr std::initializer_list<Ctl> kSoundControls = {Ctl::txtAudFile, Ctl::btnAudBrowse, Ctl::btnAudClear,
                                                       Ctl::btnDefault};

TEST_F(ActionsPageTest, AtDesignTimeTheGroupsAreDisabledAndSetIsNot) {
    EXPECT_TRUE(allEnabled(kProgramControls, false));
    EXPECT_TRUE(allEnabled(kSoundControls, false));
    EXPECT_TRUE(rig.view.enables.at(Ctl::btnAction));
}

TEST_F(ActionsPageTest, SetStoresTheThreeWindowActionsInOrder) {
    rig.model.setChecked(Ctl::rbnMinimise, false);
    rig.model.setChecked(Ctl::rbnClose, true);
    rig.click(Ctl::btnAction);
    EXPECT_EQ(rig.profile.writes, (std::vector<Write>{{"Actions", "Minimise", "0", false},
                                                      {"Actions", "Close", "1", false},
                                                      {"Actions", "Nothing", "0", false}}));
}

TEST_F(ActionsPageTest, TheProgramEnableBoxSwitchesItsGroupAndStoresOnlyItself) {
    rig.model.setText(Ctl::txtFile, "C:\\x.exe");
    rig.toggle(Ctl::cbxEnable);
    EXPECT_TRUE(allEnabled(kProgramControls, true));
    EXPECT_TRUE(allEnabled(kSoundControls, false));
    rig.toggle(Ctl::cbxEnable);
    EXPECT_TRUE(allEnabled(kProgramControls, false));
    EXPECT_EQ(rig.profile.writes,
              (std::vector<Write>{{"Actions", "Enable", "1", false}, {"Actions", "Enable", "0", false}}));
}

TEST_F(ActionsPageTest, TheSoundEnableBoxStoresThePathOnlyWhenUnticked) {
    rig.model.setText(Ctl::txtAudFile, "D:\\a.mp3");
    rig.toggle(Ctl::cbxAudEnable);
    EXPECT_TRUE(allEnabled(kSoundControls, true));
    EXPECT_TRUE(allEnabled(kProgramControls, false));
    EXPECT_EQ(rig.profile.writes, (std::vector<Write>{{"Actions", "AudioEnable", "1", false}}));
    rig.toggle(Ctl::cbxAudEnable);
    EXPECT_TRUE(allEnabled(kSoundControls, false));
    EXPECT_EQ(writesAfter(1), (std::vector<Write>{{"Actions", "AudioEnable", "0", false},
                                                  {"Actions", "AudFile", "D:\\a.mp3", false}}));
}

TEST_F(ActionsPageTest, StartUpWithBothEnabledEnablesTheGroupsAndKeepsThePaths) {
    fake::Rig loaded{{{"Actions", "Enable", "1"},
                      {"Actions", "File", "C:\\x.exe"},
                      {"Actions", "AudioEnable", "1"},
                      {"Actions", "AudFile", "D:\\a.mp3"}}};
    for (Ctl c : kProgramControls) EXPECT_TRUE(loaded.view.enables.at(c));
    for (Ctl c : kSoundControls) EXPECT_TRUE(loaded.view.enables.at(c));
    EXPECT_EQ(loaded.view.texts[Ctl::txtAudFile], "D:\\a.mp3");
    EXPECT_EQ(loaded.profile.get("Actions", "AudFile"), "D:\\a.mp3");
    // The boxes' click handling rewrote their own values, nothing else.
    EXPECT_EQ(loaded.profile.writes, (std::vector<Write>{{"Actions", "Enable", "1", false},
                                                         {"Actions", "AudioEnable", "1", false}}));
}

TEST_F(ActionsPageTest, ProgramBrowseShowsTheProgramDialogAndStoresTheChosenPath) {
    rig.toggle(Ctl::cbxEnable);
    rig.dialogs.files = {"C:\\Users\\me\\Desktop\\chat.exe"};
    rig.click(Ctl::btnBrowse);
    ASSERT_EQ(rig.dialogs.requests.size(), 1u);
    const OpenFileRequest& asked = rig.dialogs.requests[0];
    EXPECT_EQ(asked.filter, "Executable files (.exe)|*.exe|All files (*.*)|*.*");
    EXPECT_EQ(asked.defaultExtension, "exe");
    EXPECT_EQ(asked.initialFolder, "Desktop");
    EXPECT_TRUE(asked.mustExist);
    EXPECT_FALSE(asked.networkButton);
    EXPECT_TRUE(asked.readOnlyBox);
    EXPECT_EQ(rig.view.texts[Ctl::txtFile], "C:\\Users\\me\\Desktop\\chat.exe");
    EXPECT_EQ(writesAfter(1), (std::vector<Write>{{"Actions", "Enable", "1", false},
                                                  {"Actions", "File", "C:\\Users\\me\\Desktop\\chat.exe", false}}));
}

TEST_F(ActionsPageTest, BrowseCancelledInEitherGroupRewritesTheValuesShown) {
    rig.toggle(Ctl::cbxEnable);
    rig.toggle(Ctl::cbxAudEnable);
    rig.model.setText(Ctl::txtFile, "typed.exe");
    rig.model.setText(Ctl::txtAudFile, "typed.wav");
    const std::size_t before = rig.profile.writes.size();
    // The program's dialog answers with an empty name, as one torn down by the program's exit does: a cancel.
    rig.dialogs.files = {std::string()};
    rig.click(Ctl::btnBrowse);
    rig.click(Ctl::btnAudBrowse);
    EXPECT_EQ(rig.view.texts[Ctl::txtFile], "typed.exe");
    EXPECT_EQ(rig.view.texts[Ctl::txtAudFile], "typed.wav");
    EXPECT_EQ(writesAfter(before), (std::vector<Write>{{"Actions", "Enable", "1", false},
                                                       {"Actions", "File", "typed.exe", false},
                                                       {"Actions", "AudioEnable", "1", false},
                                                       {"Actions", "AudFile", "typed.wav", false}}));
}

TEST_F(ActionsPageTest, SoundBrowseShowsTheSoundDialog) {
    rig.toggle(Ctl::cbxAudEnable);
    rig.dialogs.files = {"D:\\ring.wma"};
    rig.click(Ctl::btnAudBrowse);
    ASSERT_EQ(rig.dialogs.requests.size(), 1u);
    const OpenFileRequest& asked = rig.dialogs.requests[0];
    EXPECT_EQ(asked.filter,
              "MPEG Layer-3 Audio (*.mp3)|*.mp3|Windows Media Audio (*.wma)|*.wma|"
              "Uncompressed Windows Audio (*.wav)|*.wav|Other files (*.*)|*.*");
    EXPECT_EQ(asked.defaultExtension, "");
    EXPECT_EQ(asked.initialFolder, "");
    EXPECT_FALSE(asked.mustExist);
    EXPECT_TRUE(asked.networkButton);
    EXPECT_FALSE(asked.readOnlyBox);
    EXPECT_EQ(rig.profile.get("Actions", "AudFile"), "D:\\ring.wma");
}

TEST_F(ActionsPageTest, ADialogThatFailsIsShownAndNothingIsStored) {
    rig.toggle(Ctl::cbxEnable);
    const std::size_t before = rig.profile.writes.size();
    rig.dialogs.dialogFailure = "The file dialog could not be shown";
    rig.click(Ctl::btnBrowse);
    EXPECT_EQ(exceptions(rig.dialogs), (std::vector<std::string>{"The file dialog could not be shown."}));
    EXPECT_EQ(rig.profile.writes.size(), before);
}

TEST_F(ActionsPageTest, ProgramClearAnsweredYesEmptiesUnticksDisablesAndStores) {
    rig.toggle(Ctl::cbxEnable);
    rig.model.setText(Ctl::txtFile, "C:\\x.exe");
    rig.click(Ctl::btnClear);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].kind, "confirm");
    EXPECT_EQ(rig.dialogs.shown[0].text, "Are you sure you want to clear the selected program?");
    EXPECT_EQ(rig.view.texts[Ctl::txtFile], "");
    EXPECT_FALSE(rig.view.checks[Ctl::cbxEnable]);
    EXPECT_TRUE(allEnabled(kProgramControls, false));
    // The box's own click handling stores Enable first, then Clear stores both.
    EXPECT_EQ(writesAfter(1), (std::vector<Write>{{"Actions", "Enable", "0", false},
                                                  {"Actions", "Enable", "0", false},
                                                  {"Actions", "File", "", false}}));
}

TEST_F(ActionsPageTest, SoundClearAnsweredYesEmptiesUnticksDisablesAndStores) {
    rig.toggle(Ctl::cbxAudEnable);
    rig.model.setText(Ctl::txtAudFile, "D:\\a.mp3");
    rig.click(Ctl::btnAudClear);
    EXPECT_EQ(rig.dialogs.shown.at(0).text, "Are you sure you want to clear the selected program?");
    EXPECT_EQ(rig.view.texts[Ctl::txtAudFile], "");
    EXPECT_FALSE(rig.view.checks[Ctl::cbxAudEnable]);
    EXPECT_TRUE(allEnabled(kSoundControls, false));
    EXPECT_EQ(writesAfter(1), (std::vector<Write>{{"Actions", "AudioEnable", "0", false},
                                                  {"Actions", "AudFile", "", false},
                                                  {"Actions", "AudioEnable", "0", false},
                                                  {"Actions", "AudFile", "", false}}));
}

TEST_F(ActionsPageTest, ClearAnsweredNoInEitherGroupChangesAndStoresNothing) {
    rig.toggle(Ctl::cbxEnable);
    rig.toggle(Ctl::cbxAudEnable);
    rig.model.setText(Ctl::txtFile, "C:\\x.exe");
    rig.model.setText(Ctl::txtAudFile, "D:\\a.mp3");
    const std::size_t before = rig.profile.writes.size();
    rig.dialogs.answers = {false, false};
    rig.click(Ctl::btnClear);
    rig.click(Ctl::btnAudClear);
    EXPECT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_EQ(rig.view.texts[Ctl::txtFile], "C:\\x.exe");
    EXPECT_EQ(rig.view.texts[Ctl::txtAudFile], "D:\\a.mp3");
    EXPECT_TRUE(rig.view.checks[Ctl::cbxEnable] && rig.view.checks[Ctl::cbxAudEnable]);
    EXPECT_TRUE(allEnabled(kProgramControls, true));
    EXPECT_TRUE(allEnabled(kSoundControls, true));
    EXPECT_EQ(rig.profile.writes.size(), before);
}

TEST_F(ActionsPageTest, ARefusedStoreDuringClearIsShownAndEndsTheHandlerThere) {
    rig.toggle(Ctl::cbxEnable);
    rig.model.setText(Ctl::txtFile, "C:\\x.exe");
    rig.profile.refuse = true;
    const std::size_t before = rig.profile.writes.size();
    rig.click(Ctl::btnClear);
    EXPECT_EQ(exceptions(rig.dialogs),
              (std::vector<std::string>{"Unable to write to C:\\Program Files\\Vigilamp\\vigilamp.ini."}));
    EXPECT_EQ(writesAfter(before).size(), 1u);  // the box's own store, refused; Clear's two are not tried
    EXPECT_EQ(rig.profile.get("Actions", "File"), std::nullopt);
}

TEST_F(ActionsPageTest, DefaultShowsTheSoundBesideTheExecutableAndStoresNothingUntilUnticked) {
    rig.toggle(Ctl::cbxAudEnable);
    const std::size_t before = rig.profile.writes.size();
    rig.click(Ctl::btnDefault);
    EXPECT_EQ(rig.view.texts[Ctl::txtAudFile], "C:\\Program Files\\Vigilamp\\vigilampairraid.mp3");
    EXPECT_EQ(rig.profile.writes.size(), before);
    rig.dialogs.answers = {true};
    rig.menu(Cmd::Exit);
    EXPECT_EQ(rig.profile.get("Actions", "AudFile"), std::nullopt);  // Exit stores only DisableStat
    fake::Rig again{{{"Actions", "AudioEnable", "1"}}};
    again.click(Ctl::btnDefault);
    again.toggle(Ctl::cbxAudEnable);
    EXPECT_EQ(again.profile.get("Actions", "AudFile"), "C:\\Program Files\\Vigilamp\\vigilampairraid.mp3");
}

TEST(DefaultSound, IsTheFileNameInTheExecutablesFolderWhateverItsSeparator) {
    EXPECT_EQ(defaultSoundFor("C:\\a\\vigilamp.exe"), "C:\\a\\vigilampairraid.mp3");
    EXPECT_EQ(defaultSoundFor("C:\\vigilamp.exe"), "C:\\vigilampairraid.mp3");
    EXPECT_EQ(defaultSoundFor("/opt/v/vigilamp"), "/opt/v/vigilampairraid.mp3");
    EXPECT_EQ(defaultSoundFor("\\\\server\\share\\v.exe"), "\\\\server\\share\\vigilampairraid.mp3");
    EXPECT_EQ(defaultSoundFor("vigilamp.exe"), "vigilampairraid.mp3");  // no folder known: the current one
}

}  // namespace
}  // namespace vr
