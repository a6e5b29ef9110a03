// The notify icon's bookkeeping on Windows: the shell's record, the order of the first show, the retries while
// the shell is not there and the icon brought back when it restarts, the clicks and the balloon.
#include "win32/adapters/notify_icon.h"

#include <gtest/gtest.h>

#include "fakes/notify_icon.h"

namespace vr {
namespace {

using namespace win32;

constexpr IconHandle kPicture = 0x1C0, kLitPicture = 0x1C1;
constexpr MenuHandle kMenu = 0x3E0;

struct NotifyIconTest : ::testing::Test {
    fake::TrayShell shell;
    fake::TrayWindow window;

    // The message loop runs: the tip messages posted so far arrive.
    void deliverTips(NotifyIcon& tray) {
        for (; window.postedTips > 0; --window.postedTips) tray.tipMessage();
    }
    const TrayRecord& shownRecord() { return shell.icons.at({window.window, kTrayIconId}); }
    TrayRecord full(IconHandle picture = kPicture, const std::string& tip = "Vigilamp Rizu!") {
        return {window.window, 1, true, true, true, false, picture, tip, {}, {}};
    }
};

TEST(TrayTip, KeepsUpTo62CharactersAndCutsLongerTextsTo62) {
    EXPECT_EQ(trayTip(""), "");
    EXPECT_EQ(trayTip("Vigilamp Rizu!"), "Vigilamp Rizu!");
    const std::string tip62(62, 'a');
    EXPECT_EQ(trayTip(tip62), tip62);
    EXPECT_EQ(trayTip(tip62 + "b"), tip62);
    EXPECT_EQ(trayTip(std::string(300, 'c')), std::string(62, 'c'));
}

TEST_F(NotifyIconTest, TheFirstShowAddsBareThenThePictureAndTipThenTheTipAgainOnceTheLoopRuns) {
    NotifyIcon tray(shell, window, kPicture, kLitPicture);
    EXPECT_EQ(window.appShows, std::vector<bool>{false}) << "the taskbar window hides at once";
    EXPECT_TRUE(shell.calls.empty());
    tray.show(TrayPicture::usual, kTitle);

    ASSERT_EQ(shell.ops(), (std::vector<std::string>{"add", "modify"}));
    EXPECT_EQ(shell.calls[0].record, full(0, ""));
    EXPECT_EQ(shell.calls[1].record, full());
    EXPECT_EQ(window.postedTips, 1) << "the bare add posts the tip message";
    EXPECT_EQ(window.appShows, (std::vector<bool>{false, false})) << "hidden again, though it was";

    deliverTips(tray);
    ASSERT_EQ(shell.ops(), (std::vector<std::string>{"add", "modify", "modify"}));
    EXPECT_EQ(shell.calls[2].record, full());
    EXPECT_EQ(shownRecord(), full());
    EXPECT_FALSE(window.retrying);
}

TEST_F(NotifyIconTest, LaterShowsChangeOnlyWhatChangedAndTheRecordIsFilledAfreshEachTime) {
    NotifyIcon tray(shell, window, kPicture, kLitPicture);
    tray.show(TrayPicture::usual, kTitle);
    deliverTips(tray);
    shell.calls.clear();
    tray.show(TrayPicture::usual, kTitle);
    EXPECT_TRUE(shell.calls.empty()) << "nothing changed: no call";
    tray.show(TrayPicture::lit, kTitle);
    tray.show(TrayPicture::lit, kTitle);
    window.window = 0x7A11;  // a record filled once and reused would still name the old window
    tray.show(TrayPicture::lit, std::string(70, 't'));
    tray.show(TrayPicture::usual, std::string(70, 't'));
    ASSERT_EQ(shell.ops(), (std::vector<std::string>{"modify", "modify", "modify"}));
    EXPECT_EQ(shell.calls[0].record.icon, kLitPicture);
    EXPECT_EQ(shell.calls[1].record, (TrayRecord{0x7A11, 1, true, true, true, false, kLitPicture,
                                                 std::string(62, 't'), {}, {}}));
    EXPECT_EQ(shell.calls[2].record.icon, kPicture);
}

TEST_F(NotifyIconTest, RemovingTakesTheIconAwayOnceAndDestroyingAShownIconRemovesIt) {
    {
        NotifyIcon tray(shell, window, kPicture, kLitPicture);
        { NotifyIcon never(shell, window, kPicture, kLitPicture); }
        EXPECT_TRUE(shell.calls.empty()) << "an icon never shown calls no shell";
        tray.show(TrayPicture::usual, kTitle);
        tray.remove();
        tray.remove();
        EXPECT_EQ(shell.ops(), (std::vector<std::string>{"add", "modify", "remove"}));
        EXPECT_TRUE(shell.icons.empty());
        tray.show(TrayPicture::usual, kTitle);
    }
    EXPECT_EQ(shell.ops().back(), "remove");
    EXPECT_TRUE(shell.icons.empty()) << "the icon is gone with its component";
}

TEST_F(NotifyIconTest, AFirstAddWithoutAShellIsRetriedUntilTheShellTakesTheWholeIcon) {
    shell.running = false;  // log-on: the taskbar is not there yet
    NotifyIcon tray(shell, window, kPicture, kLitPicture);
    tray.show(TrayPicture::usual, kTitle);
    deliverTips(tray);
    EXPECT_TRUE(window.retrying);
    tray.retryTick();
    tray.retryTick();
    EXPECT_TRUE(window.retrying) << "still no shell";
    EXPECT_TRUE(shell.icons.empty());

    shell.running = true;
    tray.retryTick();
    EXPECT_FALSE(window.retrying);
    EXPECT_EQ(shownRecord(), full());
    const auto calls = shell.calls.size();
    tray.retryTick();  // a tick already queued when the timer stopped
    EXPECT_EQ(shell.calls.size(), calls);
}

TEST_F(NotifyIconTest, AnAddThatFailsWhileTheShellShowsTheIconCountsAsPlaced) {
    // The shell timed out on the add but shows the icon all the same.
    shell.icons[{window.window, kTrayIconId}] = TrayRecord{};
    NotifyIcon tray(shell, window, kPicture, kLitPicture);
    tray.show(TrayPicture::usual, "tip");
    EXPECT_EQ(shell.ops(), (std::vector<std::string>{"add", "modify", "modify"}));
    EXPECT_FALSE(window.retrying);
    EXPECT_EQ(shownRecord().tip, "tip");
}

TEST_F(NotifyIconTest, RemovingWhileRetryingStopsTheRetries) {
    shell.running = false;
    NotifyIcon tray(shell, window, kPicture, kLitPicture);
    tray.show(TrayPicture::usual, kTitle);
    ASSERT_TRUE(window.retrying);
    tray.remove();
    EXPECT_FALSE(window.retrying);
    shell.running = true;
    tray.retryTick();
    EXPECT_TRUE(shell.icons.empty());
}

TEST_F(NotifyIconTest, ARestartedShellGetsTheIconBackWhenItAnnouncesItsTaskbar) {
    NotifyIcon tray(shell, window, kPicture, kLitPicture);
    tray.show(TrayPicture::usual, kTitle);
    deliverTips(tray);
    shell.restart();
    tray.taskbarCreated();
    EXPECT_EQ(shownRecord(), full());

    // The announcement also comes when the shell still has the icon: it stays, with no retries.
    tray.taskbarCreated();
    EXPECT_EQ(shell.calls.back().op, "modify");
    EXPECT_TRUE(shell.calls.back().ok);
    EXPECT_FALSE(window.retrying);

    // A taskbar that cannot take it yet is retried.
    shell.icons.clear();
    shell.running = false;
    tray.taskbarCreated();
    EXPECT_TRUE(window.retrying);
    shell.running = true;
    tray.retryTick();
    EXPECT_EQ(shell.icons.size(), 1u);
    EXPECT_FALSE(window.retrying);

    tray.remove();
    const auto calls = shell.calls.size();
    tray.taskbarCreated();
    EXPECT_EQ(shell.calls.size(), calls) << "a removed icon is not brought back";
}

TEST_F(NotifyIconTest, ClicksPopTheMenuAtThePointerOrRunTheirHandlers) {
    NotifyIcon tray(shell, window, kPicture, kLitPicture);
    tray.leftButtonUp();
    tray.leftDoubleClick();
    tray.rightButtonUp();
    EXPECT_TRUE(window.popUps.empty()) << "no menu, no handler: nothing";
    int clicks = 0, doubles = 0;
    tray.onClick = [&] { ++clicks; };
    tray.onDoubleClick = [&] { ++doubles; };
    tray.popupMenu = kMenu;
    window.pointer = {1270, 1015};
    tray.leftButtonUp();
    tray.leftDoubleClick();
    tray.leftDoubleClick();
    tray.rightButtonUp();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 2);
    EXPECT_EQ(window.steps, (std::vector<std::string>{"cursor", "cursor", "popUp"}));
    ASSERT_EQ(window.popUps.size(), 1u);
    EXPECT_EQ(window.popUps[0].menu, kMenu);
    EXPECT_EQ(window.popUps[0].at, (ScreenPoint{1270, 1015}));
}

TEST_F(NotifyIconTest, ABalloonGoesToTheShownIconWithTheProgramsTitleAndChangesNothingElse) {
    NotifyIcon tray(shell, window, kPicture, kLitPicture);
    tray.notify(kFirstRunNote);
    EXPECT_TRUE(shell.calls.empty()) << "no icon, no balloon";
    tray.show(TrayPicture::usual, kTitle);
    tray.notify(kFirstRunNote);
    const TrayRecord& balloon = shell.calls.back().record;
    EXPECT_EQ(shell.calls.back().op, "modify");
    EXPECT_TRUE(balloon.hasInfo && !balloon.hasIcon && !balloon.hasTip);
    EXPECT_EQ(balloon.info, kFirstRunNote);
    EXPECT_EQ(balloon.infoTitle, "Vigilamp Rizu!");
}

}  // namespace
}  // namespace vr
