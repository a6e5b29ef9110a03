#include "form/tray_icon.h"

#include <gtest/gtest.h>

#include "fakes/rig.h"
#include "form/tray_menu.h"

namespace vr {
namespace {

constexpr IconHandle kPicture = 0x1C0;
constexpr MenuHandle kMenu = 0x3E0;

struct TrayIconTest : ::testing::Test {
    fake::TrayShell shell;
    fake::TrayWindow window;
    int shown = 0;

    // The message loop runs: the tip messages posted so far arrive.
    void deliverTips(TrmTrayIcon& tray) {
        for (; window.postedTips > 0; --window.postedTips) tray.tipMessage();
    }
    const TrayRecord& shownRecord() { return shell.icons.at({window.window, kTrayIconId}); }
};

TEST(TrayTip, KeepsUpTo62CharactersAndCutsLongerTextsTo62) {
    EXPECT_EQ(trayTip(""), "");
    EXPECT_EQ(trayTip("Vigilamp Rizu!"), "Vigilamp Rizu!");
    const std::string tip62(62, 'a');
    EXPECT_EQ(trayTip(tip62), tip62);
    EXPECT_EQ(trayTip(tip62 + "b"), tip62);
    EXPECT_EQ(trayTip(std::string(300, 'c')), std::string(62, 'c'));
}

TEST_F(TrayIconTest, CreatingTheIconHidesTheApplicationsTaskbarWindowAtOnce) {
    TrmTrayIcon tray(shell, window);
    EXPECT_EQ(window.appShows, std::vector<bool>{false});
    EXPECT_TRUE(shell.calls.empty());
    tray.setShowApp(false);  // the call is made again though the value has not changed
    tray.setShowApp(true);
    EXPECT_EQ(window.appShows, (std::vector<bool>{false, false, true}));
}

TEST_F(TrayIconTest, MainWindowSetUpAddsBareThenModifiesWithPictureAndTipThenAgainOnceTheLoopRuns) {
    TrmTrayIcon tray(shell, window);
    setUpSysTray(tray, kPicture, kMenu, [&] { ++shown; });

    ASSERT_EQ(shell.ops(), (std::vector<std::string>{"add", "modify"}));
    const TrayRecord bare{window.window, 1, true, true, true, 0, ""};
    const TrayRecord full{window.window, 1, true, true, true, kPicture, "Vigilamp Rizu!"};
    EXPECT_EQ(shell.calls[0].record, bare);
    EXPECT_EQ(shell.calls[1].record, full);
    EXPECT_EQ(window.postedTips, 1) << "the bare add posts the tip message";
    EXPECT_EQ(window.appShows, (std::vector<bool>{false, false}));
    EXPECT_EQ(tray.PopupMenu, kMenu);

    deliverTips(tray);
    ASSERT_EQ(shell.ops(), (std::vector<std::string>{"add", "modify", "modify"}));
    EXPECT_EQ(shell.calls[2].record, full);
    EXPECT_EQ(shownRecord(), full);
    EXPECT_FALSE(window.retrying);

    tray.leftDoubleClick();
    EXPECT_EQ(shown, 1) << "a double click runs the show step";
}

TEST_F(TrayIconTest, TheRecordIsFilledFromTheFieldsAsTheyAreAtEachCall) {
    TrmTrayIcon tray(shell, window);
    tray.setActive(true);
    tray.setToolTip(std::string(70, 't'));
    tray.setIcon(kPicture);
    tray.setIcon(kPicture);  // the same picture: no call
    window.window = 0x7A11;  // a record filled once and reused would still name the old window
    tray.setToolTip("second");
    ASSERT_EQ(shell.ops(), (std::vector<std::string>{"add", "modify", "modify", "modify"}));
    EXPECT_EQ(shell.calls[1].record.tip, std::string(62, 't'));
    EXPECT_EQ(shell.calls[1].record.icon, 0u);
    EXPECT_EQ(shell.calls[2].record.icon, kPicture);
    EXPECT_EQ(shell.calls[3].record, (TrayRecord{0x7A11, 1, true, true, true, kPicture, "second"}));
}

TEST_F(TrayIconTest, AnAddWithATipPostsNoTipMessage) {
    TrmTrayIcon tray(shell, window);
    tray.setToolTip("tip first");
    EXPECT_TRUE(shell.calls.empty()) << "an inactive icon is not modified";
    tray.setActive(true);
    EXPECT_EQ(shell.ops(), std::vector<std::string>{"add"});
    EXPECT_EQ(shell.calls[0].record.tip, "tip first");
    EXPECT_EQ(window.postedTips, 0);
}

TEST_F(TrayIconTest, ActiveAddsOnceAndRemovesOnceAndDestroyingRemovesTheIcon) {
    {
        TrmTrayIcon tray(shell, window);
        tray.setActive(true);
        tray.setActive(true);
        EXPECT_EQ(shell.ops(), std::vector<std::string>{"add"});
        tray.setActive(false);
        tray.setActive(false);
        EXPECT_EQ(shell.ops(), (std::vector<std::string>{"add", "remove"}));
        EXPECT_TRUE(shell.icons.empty());
        tray.setActive(true);
    }
    EXPECT_EQ(shell.ops(), (std::vector<std::string>{"add", "remove", "add", "remove"}));
    EXPECT_TRUE(shell.icons.empty()) << "the icon is gone with its component";
}

TEST_F(TrayIconTest, DestroyingAnInactiveIconCallsNoShell) {
    { TrmTrayIcon tray(shell, window); }
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, AFirstAddWithoutAShellIsRetriedUntilTheShellTakesTheWholeIcon) {
    shell.running = false;  // log-on: the taskbar is not there yet
    TrmTrayIcon tray(shell, window);
    setUpSysTray(tray, kPicture, kMenu, [] {});
    deliverTips(tray);
    EXPECT_TRUE(window.retrying);
    tray.retryTick();
    tray.retryTick();
    EXPECT_TRUE(window.retrying) << "still no shell";
    EXPECT_TRUE(shell.icons.empty());

    shell.running = true;
    tray.retryTick();
    EXPECT_FALSE(window.retrying);
    EXPECT_EQ(shownRecord(), (TrayRecord{window.window, 1, true, true, true, kPicture, "Vigilamp Rizu!"}));
    const auto calls = shell.calls.size();
    tray.retryTick();  // a tick already queued when the timer stopped
    EXPECT_EQ(shell.calls.size(), calls);
}

TEST_F(TrayIconTest, AnAddThatFailsWhileTheShellShowsTheIconCountsAsPlaced) {
    // The shell timed out on the add but shows the icon all the same.
    shell.icons[{window.window, kTrayIconId}] = TrayRecord{};
    TrmTrayIcon tray(shell, window);
    tray.setToolTip("tip");
    tray.setActive(true);
    EXPECT_EQ(shell.ops(), (std::vector<std::string>{"add", "modify"}));
    EXPECT_FALSE(window.retrying);
    EXPECT_EQ(shownRecord().tip, "tip");
}

TEST_F(TrayIconTest, SwitchingOffWhileRetryingStopsTheRetries) {
    shell.running = false;
    TrmTrayIcon tray(shell, window);
    tray.setActive(true);
    ASSERT_TRUE(window.retrying);
    tray.setActive(false);
    EXPECT_FALSE(window.retrying);
    shell.running = true;
    tray.retryTick();
    EXPECT_TRUE(shell.icons.empty());
}

TEST_F(TrayIconTest, ARestartedShellGetsTheIconBackWhenItAnnouncesItsTaskbar) {
    TrmTrayIcon tray(shell, window);
    setUpSysTray(tray, kPicture, kMenu, [] {});
    deliverTips(tray);
    shell.restart();
    tray.taskbarCreated();
    EXPECT_EQ(shownRecord(), (TrayRecord{window.window, 1, true, true, true, kPicture, "Vigilamp Rizu!"}));

    // The announcement also comes when the shell still has the icon: it stays, with no retries.
    tray.taskbarCreated();
    EXPECT_EQ(shell.calls.back().op, "modify");
    EXPECT_TRUE(shell.calls.back().ok);
    EXPECT_FALSE(window.retrying);

    tray.setActive(false);
    const auto calls = shell.calls.size();
    tray.taskbarCreated();
    EXPECT_EQ(shell.calls.size(), calls) << "a switched-off icon is not brought back";
}

TEST_F(TrayIconTest, ATaskbarThatCannotTakeTheIconYetIsRetried) {
    TrmTrayIcon tray(shell, window);
    tray.setActive(true);
    shell.icons.clear();
    shell.running = false;
    tray.taskbarCreated();
    EXPECT_TRUE(window.retrying);
    shell.running = true;
    tray.retryTick();
    EXPECT_EQ(shell.icons.size(), 1u);
    EXPECT_FALSE(window.retrying);
}

TEST_F(TrayIconTest, ARightClickPopsTheMenuUpAtThePointerAndThenCallsOnRightClick) {
    TrmTrayIcon tray(shell, window);
    std::vector<ScreenPoint> rightClicks;
    tray.OnRightClick = [&](ScreenPoint at) {
        window.steps.push_back("OnRightClick");
        rightClicks.push_back(at);
    };
    tray.PopupMenu = kMenu;
    window.pointer = {1270, 1015};
    tray.rightButtonUp();
    EXPECT_EQ(window.steps, (std::vector<std::string>{"cursor", "popUp", "OnRightClick"}));
    ASSERT_EQ(window.popUps.size(), 1u);
    EXPECT_EQ(window.popUps[0].menu, kMenu);
    EXPECT_EQ(window.popUps[0].at, (ScreenPoint{1270, 1015}));
    EXPECT_EQ(rightClicks, std::vector<ScreenPoint>{(ScreenPoint{1270, 1015})});

    tray.PopupMenu = 0;
    tray.rightButtonUp();
    EXPECT_EQ(window.popUps.size(), 1u) << "no menu set: nothing pops up";
    EXPECT_EQ(rightClicks.size(), 2u);
}

TEST_F(TrayIconTest, ClicksWithoutHandlersDoNothingAndEachHandlerHearsOnlyItsOwnClick) {
    TrmTrayIcon tray(shell, window);
    tray.leftButtonUp();
    tray.leftDoubleClick();
    tray.rightButtonUp();
    EXPECT_TRUE(window.popUps.empty());
    int clicks = 0, doubles = 0;
    tray.OnClick = [&] { ++clicks; };
    tray.OnDblClick = [&] { ++doubles; };
    tray.leftButtonUp();
    tray.leftDoubleClick();
    tray.leftDoubleClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 2);
}

TEST(TrayMenu, ShowIsTheDefaultAndTheItemsRunTheirCommands) {
    const auto menu = trayMenuTable();
    int defaults = 0;
    for (const TrayMenuRow& row : menu) defaults += row.isDefault;
    ASSERT_EQ(defaults, 1);
    EXPECT_EQ(menu.front().command, Cmd::TrayShow);
    EXPECT_TRUE(menu.front().isDefault);

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
