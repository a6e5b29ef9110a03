// The window survey of the Advanced page: the list of titled windows, the handle information, the target
// class it sets and stores, and the help links of the main window.
#include <gtest/gtest.h>

#include "fakes/rig.h"
#include "survey/window_survey.h"

namespace vr {
namespace {

using Write = fake::Profile::Write;
using Item = ListItem;

// ---- The text of a reply, the list and the information label

TEST(BufferText, KeepsTheTextUpToItsFirstNulAndAtMostTheBuffersCharacters) {
    EXPECT_EQ(bufferText("Inbox", 128), "Inbox");
    EXPECT_EQ(bufferText(std::string("Inbox\0stale text", 16), 128), "Inbox");
    EXPECT_EQ(bufferText(std::string(128, 'a'), 128), std::string(128, 'a'));
    EXPECT_EQ(bufferText(std::string(200, 'b'), 128), std::string(128, 'b'));  // a reply that carries no NUL
    EXPECT_EQ(bufferText(std::string("\0hidden", 7), 128), "");
    EXPECT_EQ(bufferText("", 128), "");
}

TEST(TitledWindows, ListsTitledWindowsInThePlatformsOrderEachOnceWithItsTitleCut) {
    fake::Windows windows;
    windows.desktop = {{0x30, "Mail", "MailFrame", {1, 2}},
                       {0x10, "", "Shell_TrayWnd", {3, 4}},
                       {0x20, "Mail", "MailFrame", {1, 5}},
                       {0x40, std::string(200, 'x'), "Long", {6, 7}},
                       {0x50, std::string("\0junk", 5), "Junk", {8, 9}},
                       {0x60, "Vigilamp Rizu!", "TfrmMain", {10, 11}}};
    const auto titled = titledWindows(windows);
    ASSERT_EQ(titled.size(), 4u);
    EXPECT_EQ(titled[0].handle, 0x30u);
    EXPECT_EQ(titled[0].title, "Mail");
    EXPECT_EQ(titled[1].handle, 0x20u);  // an equal title is a window of its own
    EXPECT_EQ(titled[1].title, "Mail");
    EXPECT_EQ(titled[2].handle, 0x40u);
    EXPECT_EQ(titled[2].title, std::string(128, 'x'));
    EXPECT_EQ(titled[3].handle, 0x60u);
    fake::Windows none;
    EXPECT_TRUE(titledWindows(none).empty());
}

TEST(HandleInformation, FourLinesWithEightUpperCaseHexDigitsEach) {
    EXPECT_EQ(handleInformation(0x1A2BC, "Notepad", {0xABC, 0xFFFF}),
              "HWND: 0001A2BC\r\nClass: Notepad\r\nProcess ID: 00000ABC\r\nThread ID: 0000FFFF");
    EXPECT_EQ(handleInformation(0xDEADBEEF, "", {0, 0xFFFFFFFF}),
              "HWND: DEADBEEF\r\nClass: \r\nProcess ID: 00000000\r\nThread ID: FFFFFFFF");
    // A handle above 32 bits keeps its upper digits.
    EXPECT_EQ(handleInformation(0x1000000ABull, "x", {1, 2}),
              "HWND: 1000000AB\r\nClass: x\r\nProcess ID: 00000001\r\nThread ID: 00000002");
    // A platform without a thread per window names the handle and the owner in its own terms.
    EXPECT_EQ(handleInformation(0x1200007, "xterm", {4242, 0x1200000}, {"Window", "X client"}),
              "Window: 01200007\r\nClass: xterm\r\nProcess ID: 00001092\r\nX client: 01200000");
}

// ---- The Advanced page

struct AdvancedPage : ::testing::Test {
    fake::Rig rig{fake::designTimeIni(), [](fake::Rig& r) {
                      r.windows.desktop = {{0x1234, "Chat with Ann", "ChatWindow", {0x2A0, 0x3B0}},
                                           {0x5678, "", "Untitled", {0x2A1, 0x3B1}},
                                           {0x9ABC, "Spreadsheet", "XLMAIN", {0x2A2, 0x3B2}}};
                  }};

    void tickEnable() {
        rig.toggle(Ctl::cbxEnableAdvanced);
        ASSERT_TRUE(rig.view.checks[Ctl::cbxEnableAdvanced]);
    }
    void select(int index) {
        rig.model.userSelected(Ctl::lsbHandles, index);
        rig.click(Ctl::lsbHandles);
    }
    std::string& label(Ctl c) { return rig.view.texts.at(c); }
    bool pickingEnabled() {
        return rig.view.enables[Ctl::btnScan] && rig.view.enables[Ctl::btnSet] &&
               rig.view.enables[Ctl::lsbHandles];
    }
    bool pickingDisabled() {
        return !rig.view.enables[Ctl::btnScan] && !rig.view.enables[Ctl::btnSet] &&
               !rig.view.enables[Ctl::lsbHandles];
    }
};

TEST_F(AdvancedPage, StartsOffWithTheLoadedClassAndTheListScanAndSetDisabled) {
    EXPECT_FALSE(rig.view.checks[Ctl::cbxEnableAdvanced]);
    EXPECT_TRUE(pickingDisabled());
    EXPECT_EQ(label(Ctl::lblClassname), "IMWindowClass");
    EXPECT_EQ(label(Ctl::lblHandle), "Please select a handle.");
}

TEST_F(AdvancedPage, TickingEnablesPickingAndWatchesNoClassUntilAWindowIsPicked) {
    rig.click(Ctl::btnExecute);
    tickEnable();
    EXPECT_TRUE(pickingEnabled());
    EXPECT_EQ(label(Ctl::lblClassname), "");
    EXPECT_TRUE(rig.profile.writes.empty());
    EXPECT_EQ(rig.status(), "Vigilamp is active!");
    rig.timers.advance(11000);  // the 10 s delay, then the first scan tick
    EXPECT_TRUE(rig.form.watch.tmrSearch.enabled());
    EXPECT_TRUE(rig.windows.lookups.empty()) << "no class and no pattern: the scan looks for no window";
    EXPECT_FALSE(rig.form.watch.tmrFlash.enabled());
}

TEST_F(AdvancedPage, ScanListsTheTitledWindowsAndASecondScanReplacesTheFirst) {
    tickEnable();
    rig.click(Ctl::btnScan);
    const std::vector<Item> first = {{"Chat with Ann", 0x1234}, {"Spreadsheet", 0x9ABC}};
    EXPECT_EQ(rig.view.items[Ctl::lsbHandles], first);
    rig.windows.closeDesktopWindow(0x1234);
    rig.windows.desktop.push_back({0xDEF0, "Spreadsheet", "XLMAIN", {0x2A3, 0x3B3}});
    rig.click(Ctl::btnScan);
    const std::vector<Item> second = {{"Spreadsheet", 0x9ABC}, {"Spreadsheet", 0xDEF0}};
    EXPECT_EQ(rig.view.items[Ctl::lsbHandles], second);
    EXPECT_EQ(rig.windows.enumerations, 2);
}

TEST_F(AdvancedPage, SelectingShowsTheWindowsInformationAndMakesItsClassTheTargetAtTheNextTick) {
    tickEnable();
    rig.click(Ctl::btnExecute);
    rig.click(Ctl::btnScan);
    select(1);
    EXPECT_EQ(label(Ctl::lblHandle),
              "HWND: 00009ABC\r\nClass: XLMAIN\r\nProcess ID: 000002A2\r\nThread ID: 000003B2");
    EXPECT_EQ(label(Ctl::lblClassname), "XLMAIN");
    EXPECT_TRUE(rig.profile.writes.empty());  // picking does not store
    rig.timers.advance(11000);
    EXPECT_EQ(rig.windows.lookups.back(), "XLMAIN");
    select(0);  // another pick changes the class again
    EXPECT_EQ(label(Ctl::lblClassname), "ChatWindow");
}

TEST_F(AdvancedPage, AClassNameLongerThanTheBufferIsCutInTheLabelAndTheInformation) {
    rig.windows.desktop = {{0x42, "Odd", std::string(140, 'C'), {1, 2}}};
    tickEnable();
    rig.click(Ctl::btnScan);
    select(0);
    EXPECT_EQ(label(Ctl::lblClassname), std::string(128, 'C'));
    EXPECT_NE(label(Ctl::lblHandle).find("Class: " + std::string(128, 'C') + "\r\n"), std::string::npos);
}

TEST_F(AdvancedPage, NoSelectionAZeroHandleOrAClosedWindowChangeNothing) {
    tickEnable();
    rig.click(Ctl::btnScan);
    select(0);
    const std::string information = label(Ctl::lblHandle);
    rig.model.addItem(Ctl::lsbHandles, {"no handle", 0});
    for (int index : {-1, 2}) {
        select(index);
        EXPECT_EQ(label(Ctl::lblHandle), information);
        EXPECT_EQ(label(Ctl::lblClassname), "ChatWindow");
    }
    rig.windows.closeDesktopWindow(0x9ABC);  // closed since the scan: its item stays
    select(1);
    EXPECT_EQ(label(Ctl::lblHandle), information);
    EXPECT_EQ(label(Ctl::lblClassname), "ChatWindow");
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST_F(AdvancedPage, SetStoresThePickedClassAndARestartKeepsItWithThePageOff) {
    tickEnable();
    rig.click(Ctl::btnScan);
    select(0);
    rig.click(Ctl::btnSet);
    EXPECT_EQ(rig.profile.writes, (std::vector<Write>{{"Advanced", "Handlename", "ChatWindow", false}}));
    EXPECT_EQ(label(Ctl::lblClassname), "ChatWindow");

    fake::Ini stored = fake::designTimeIni();
    stored.back().value = *rig.profile.get("Advanced", "Handlename");
    fake::Rig restarted{stored};
    EXPECT_EQ(restarted.view.texts[Ctl::lblClassname], "ChatWindow");
    EXPECT_FALSE(restarted.view.checks[Ctl::cbxEnableAdvanced]);
    EXPECT_FALSE(restarted.view.enables[Ctl::lsbHandles]);
    restarted.click(Ctl::btnExecute);
    restarted.timers.advance(11000);
    EXPECT_EQ(restarted.windows.lookups.back(), "ChatWindow");
}

TEST_F(AdvancedPage, UntickingReturnsToTheDefaultClassAndStoresItOverAPickedOne) {
    tickEnable();
    rig.click(Ctl::btnScan);
    select(1);
    rig.click(Ctl::btnSet);
    const std::string information = label(Ctl::lblHandle);
    rig.toggle(Ctl::cbxEnableAdvanced);
    EXPECT_TRUE(pickingDisabled());
    EXPECT_EQ(label(Ctl::lblClassname), "IMWindowClass");
    EXPECT_EQ(rig.profile.writes.back(), (Write{"Advanced", "Handlename", "IMWindowClass", false}));
    // The list and the information keep their contents.
    EXPECT_EQ(rig.view.items[Ctl::lsbHandles].size(), 2u);
    EXPECT_EQ(label(Ctl::lblHandle), information);
}

TEST_F(AdvancedPage, ARefusedStoreIsShownAndTheTargetClassStands) {
    tickEnable();
    rig.click(Ctl::btnScan);
    select(0);
    rig.profile.refuse = true;
    rig.click(Ctl::btnSet);
    rig.toggle(Ctl::cbxEnableAdvanced);
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    for (const auto& box : rig.dialogs.shown) {
        EXPECT_EQ(box.kind, "exception");
        EXPECT_EQ(box.text, "Unable to write to C:\\Program Files\\Vigilamp\\vigilamp.ini.");
    }
    EXPECT_EQ(label(Ctl::lblClassname), "IMWindowClass");  // unticking changes the class before it stores
    EXPECT_TRUE(pickingDisabled());
}

TEST_F(AdvancedPage, TheWarningLabelShowsTheWarningAndNothingElse) {
    rig.click(Ctl::lblWarning);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].kind, "warning");
    EXPECT_EQ(rig.dialogs.shown[0].text,
              "Use with caution!\r\nThis feature is very powerful and choosing the wrong handle may cause your "
              "system to crash.\r\nPlease take note of this.");
    EXPECT_EQ(label(Ctl::lblClassname), "IMWindowClass");
    EXPECT_TRUE(rig.profile.writes.empty());
}

// ---- The help links

TEST(HelpLinks, TheManualOpensByItsFullPathBesideTheExecutableMaximised) {
    fake::Rig rig{fake::designTimeIni()};
    rig.menu(Cmd::OpenManual);
    EXPECT_EQ(rig.launcher.calls,
              (std::vector<fake::Launcher::Call>{{"document", "C:\\Program Files\\Vigilamp\\manual.mht"}}));
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(HelpLinks, TheWebAddressOpensWithASlashAppended) {
    fake::Rig rig{fake::designTimeIni()};
    rig.click(Ctl::lblURL);
    EXPECT_EQ(rig.launcher.calls,
              (std::vector<fake::Launcher::Call>{{"address", "http://www.vigilamp-rizu.example/"}}));
}

}  // namespace
}  // namespace vr
