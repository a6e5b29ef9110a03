// The match rules: the title pattern, the rule with and without a class, the scan and the attention path over
// them, watching from start-up, the Match page's Test, and the Advanced page's pick filling the pattern.
#include <gtest/gtest.h>

#include "fakes/rig.h"
#include "match/match_rule.h"

namespace vr {
namespace {

TEST(TitlePattern, StarsQuestionMarksAndLetterCase) {
    EXPECT_TRUE(fitsPattern("(*)*", "(1) Inbox"));
    EXPECT_TRUE(fitsPattern("(*)*", "(12) Inbox - Mail"));
    EXPECT_FALSE(fitsPattern("(*)*", "Inbox"));
    EXPECT_FALSE(fitsPattern("(*)*", "Inbox (1"));
    EXPECT_TRUE(fitsPattern("*inbox*", "(3) INBOX - Mail"));  // letter case ignored
    EXPECT_TRUE(fitsPattern("a?c", "abc"));
    EXPECT_FALSE(fitsPattern("a?c", "ac"));  // '?' is exactly one character
    EXPECT_TRUE(fitsPattern("*", ""));
    EXPECT_TRUE(fitsPattern("**a**", "a"));
    EXPECT_FALSE(fitsPattern("*a*b", "ba"));
    EXPECT_TRUE(fitsPattern("*.*", "notes.txt"));
}

TEST(TitlePattern, EmptyFitsOnlyEmptyAndLongTitlesStayFast) {
    EXPECT_TRUE(fitsPattern("", ""));
    EXPECT_FALSE(fitsPattern("", "Inbox"));
    EXPECT_FALSE(fitsPattern("Inbox", ""));
    // A title of 100 000 characters against a pattern built to make naive backtracking explode.
    const std::string title(100000, 'a');
    EXPECT_FALSE(fitsPattern("*a*a*a*a*a*a*a*a*b", title));
    EXPECT_TRUE(fitsPattern("*a*a*a*a*a*a*a*a*", title));
    EXPECT_TRUE(fitsPattern(std::string(2000, '?'), std::string(2000, 'x')));
}

TEST(WindowRuleFits, TheClassAsTheSystemComparesItAndAnEmptyClassIsAny) {
    const WindowRule classOnly{"IMWindowClass", std::nullopt};
    EXPECT_TRUE(classOnly.fits("imwindowclass", "whatever"));
    EXPECT_FALSE(classOnly.fits("IMWindowClass2", "whatever"));
    const WindowRule both{"Chrome_WidgetWin_1", "(*)*"};
    EXPECT_TRUE(both.fits("Chrome_WidgetWin_1", "(2) Chat"));
    EXPECT_FALSE(both.fits("Chrome_WidgetWin_1", "Chat"));
    EXPECT_FALSE(both.fits("Notepad", "(2) Chat"));
    const WindowRule titleOnly{"", "*Inbox*"};
    EXPECT_TRUE(titleOnly.fits("AnyClass", "(1) Inbox"));
    EXPECT_TRUE((WindowRule{"", std::nullopt}.fits("AnyClass", "")));  // nothing set: any window
}

// Design-time settings, a one-second delay, and a desktop with a browser window whose title changes.
struct MatchTest : ::testing::Test {
    static fake::Ini ini(fake::Ini extra = {}) {
        fake::Ini all = fake::designTimeIni();
        all.push_back({"Timers", "DelayValue", "1000"});
        for (auto& e : extra) all.push_back(e);
        return all;
    }
    static constexpr WindowHandle kBrowser = 0xB0, kOther = 0xC0;
    fake::Rig rig{ini({{"Advanced", "Handlename", "Chrome_WidgetWin_1"},
                       {"Match", "Title", "(*)*"},
                       {"Match", "TitleEnable", "1"},
                       {"Match", "Attention", "1"}}),
                  [](fake::Rig& r) {
                      r.windows.desktop = {{kOther, "(5) Elsewhere", "Other", {1, 2}},
                                           {kBrowser, "Inbox", "Chrome_WidgetWin_1", {3, 4}}};
                  }};
    bool alerting() { return rig.form.watch.tmrFlash.enabled(); }
    void retitle(WindowHandle window, const std::string& title) {
        for (auto& d : rig.windows.desktop)
            if (d.handle == window) d.title = title;
    }
};

TEST_F(MatchTest, TheRuleLoadsAndAlertsOnlyOnceTheTitleFits) {
    EXPECT_TRUE(rig.model.checked(Ctl::cbxTitleEnable));
    EXPECT_TRUE(rig.model.enabled(Ctl::txtTitle));
    EXPECT_EQ(rig.view.texts[Ctl::lblMatchClass], "Chrome_WidgetWin_1");
    rig.click(Ctl::btnExecute);
    rig.timers.advance(5000);
    EXPECT_FALSE(alerting()) << "the class alone is no longer enough";
    retitle(kBrowser, "(1) Inbox");
    rig.timers.advance(1000);
    EXPECT_TRUE(alerting());
    // The window action went to the window the rule finds now.
    ASSERT_EQ(rig.windows.commands.size(), 1u);
    EXPECT_EQ(rig.windows.commands[0].first, kBrowser);
}

TEST_F(MatchTest, UntickingThePatternWatchesByClassAloneAtTheNextTick) {
    rig.toggle(Ctl::cbxTitleEnable);
    EXPECT_FALSE(rig.view.enables[Ctl::txtTitle]);
    rig.click(Ctl::btnExecute);
    rig.timers.advance(2000);
    EXPECT_TRUE(alerting());
}

TEST_F(MatchTest, AttentionAlertsAtOnceOnlyWhileScanningAndOnlyForAWindowThatFits) {
    retitle(kBrowser, "(1) Inbox");
    rig.form.windowAsksForAttention(kBrowser);  // idle
    EXPECT_FALSE(alerting());
    rig.click(Ctl::btnExecute);
    rig.form.windowAsksForAttention(kBrowser);  // still in the initial delay
    EXPECT_FALSE(alerting());
    rig.windows.desktop.pop_back();  // the browser is gone from the scan's view: only attention can alert now
    rig.windows.desktop.push_back({kBrowser + 1, "(1) Inbox", "Chrome_WidgetWin_1", {3, 4}});
    rig.timers.advance(1000);        // the delay has passed: scanning
    ASSERT_FALSE(alerting());
    rig.windows.desktop.pop_back();
    rig.form.windowAsksForAttention(kOther);  // a window that does not fit the rule
    EXPECT_FALSE(alerting());
    rig.windows.desktop.push_back({kBrowser, "Inbox", "Chrome_WidgetWin_1", {3, 4}});
    rig.form.windowAsksForAttention(kBrowser);  // the right class, the wrong title
    EXPECT_FALSE(alerting());
    retitle(kBrowser, "(2) Inbox");
    rig.journal.clear();
    rig.form.windowAsksForAttention(kBrowser);
    EXPECT_TRUE(alerting()) << "no wait for the next scan tick";
    EXPECT_FALSE(rig.form.watch.tmrSearch.enabled());
    EXPECT_FALSE(rig.form.watch.tmrDelay.enabled());
    EXPECT_EQ(rig.windows.commands.back(), (std::pair<WindowHandle, std::string>{kBrowser, "minimise"}));
    rig.timers.advance(1000);
    EXPECT_TRUE(rig.lights.on(LockKey::Caps) || rig.lights.changes.empty());  // the flash runs as after a scan
}

TEST_F(MatchTest, TheAttentionAlertGoesTheScansWayAndTheOptionOffIgnoresIt) {
    // The same alert reached both ways: program, sound and window action in the same order.
    const auto journalOf = [&](bool byAttention) {
        fake::Rig r{ini({{"Advanced", "Handlename", "Chrome_WidgetWin_1"},
                         {"Match", "Attention", "1"},
                         {"Actions", "Enable", "1"},
                         {"Actions", "File", "C:\\run.exe"},
                         {"Actions", "AudioEnable", "1"},
                         {"Actions", "AudFile", "D:\\ring.mp3"}}),
                    [&](fake::Rig& x) { x.windows.desktop = {{kBrowser, "Chat", "Chrome_WidgetWin_1", {3, 4}}}; }};
        r.click(Ctl::btnExecute);
        if (byAttention) {
            r.windows.open.clear();
            std::vector<fake::Windows::Desktop> keep = r.windows.desktop;
            r.windows.desktop.clear();  // the scan finds nothing
            r.timers.advance(1000);
            r.windows.desktop = keep;
            r.journal.clear();
            r.form.windowAsksForAttention(kBrowser);
        } else {
            r.timers.advance(1000);
            r.journal.clear();
            r.timers.advance(1000);
        }
        EXPECT_TRUE(r.form.watch.tmrFlash.enabled());
        std::vector<std::string> actions;
        for (const auto& e : r.journal)
            if (e.rfind("find:", 0) != 0) actions.push_back(e);
        return actions;
    };
    EXPECT_EQ(journalOf(true), journalOf(false));
    EXPECT_EQ(journalOf(true), (std::vector<std::string>{"open:C:\\run.exe", "url:D:\\ring.mp3", "command:minimise"}));

    rig.toggle(Ctl::cbxAttention);  // off
    rig.click(Ctl::btnExecute);
    rig.timers.advance(1000);
    retitle(kBrowser, "(1) Inbox");
    rig.form.windowAsksForAttention(kBrowser);
    EXPECT_FALSE(alerting());
}

TEST_F(MatchTest, WhereThePlatformCannotReportAttentionTheBoxSaysWhyAndIsDisabled) {
    fake::Rig r{ini({{"Match", "Attention", "1"}}),
                [](fake::Rig& x) { x.attention.reason = "it does not report windows that flash their taskbar buttons."; }};
    EXPECT_FALSE(r.view.enables[Ctl::cbxAttention]);
    EXPECT_EQ(r.view.texts[Ctl::lblAttentionState],
              "Not available on this system: it does not report windows that flash their taskbar buttons.");
    EXPECT_TRUE(r.view.checks[Ctl::cbxAttention]) << "the stored choice stands";
    EXPECT_TRUE(rig.view.enables[Ctl::cbxAttention]);
    EXPECT_EQ(rig.view.texts[Ctl::lblAttentionState], "");
}

TEST_F(MatchTest, WatchingFromStartUpEndsStartUpWithExecute) {
    fake::Rig idle{ini()};
    EXPECT_EQ(idle.status(), "Vigilamp is idle.");
    EXPECT_FALSE(idle.form.watch.watching());
    fake::Rig watching{ini({{"Match", "WatchAtStart", "1"}}),
                       [](fake::Rig& x) { x.windows.open.insert("IMWindowClass"); }};
    EXPECT_EQ(watching.status(), "Vigilamp is active!");
    EXPECT_TRUE(watching.form.watch.tmrDelay.enabled());
    watching.timers.advance(2000);  // the usual delay and scan
    EXPECT_TRUE(watching.form.watch.tmrFlash.enabled());
    EXPECT_TRUE(watching.profile.writes.empty()) << "loading the boxes stores nothing";
}

TEST_F(MatchTest, SetStoresThePatternAndItsBoxTheOtherBoxesStoreThemselves) {
    rig.model.userText(Ctl::txtTitle, "*Inbox*");
    rig.toggle(Ctl::cbxTitleEnable);  // off: the rule changes at once, the file only at Set
    EXPECT_TRUE(rig.profile.writes.empty());
    rig.click(Ctl::btnTitleSet);
    rig.toggle(Ctl::cbxWatchAtStart);
    rig.toggle(Ctl::cbxAttention);
    using W = fake::Profile::Write;
    EXPECT_EQ(rig.profile.writes, (std::vector<W>{{"Match", "Title", "*Inbox*", false},
                                                  {"Match", "TitleEnable", "0", false},
                                                  {"Match", "WatchAtStart", "1", false},
                                                  {"Match", "Attention", "0", false}}));
}

TEST_F(MatchTest, TestShowsTheWindowThatMatchesNowOrSaysNone) {
    rig.click(Ctl::btnTest);
    EXPECT_EQ(rig.view.texts[Ctl::lblTestResult], "No window matches.");
    retitle(kBrowser, "(4) Inbox");
    rig.click(Ctl::btnTest);
    EXPECT_EQ(rig.view.texts[Ctl::lblTestResult], "Handle: 000000B0\r\nClass: Chrome_WidgetWin_1\r\nTitle: (4) Inbox");
}

TEST_F(MatchTest, PickingOnTheAdvancedPageFillsTheClassAndThePattern) {
    rig.toggle(Ctl::cbxEnableAdvanced);
    rig.click(Ctl::btnScan);
    rig.model.userSelected(Ctl::lsbHandles, 0);  // "(5) Elsewhere"
    rig.click(Ctl::lsbHandles);
    EXPECT_EQ(rig.view.texts[Ctl::lblClassname], "Other");
    EXPECT_EQ(rig.view.texts[Ctl::lblMatchClass], "Other");
    EXPECT_EQ(rig.view.texts[Ctl::txtTitle], "(5) Elsewhere");
    rig.click(Ctl::btnTest);
    EXPECT_EQ(rig.view.texts[Ctl::lblTestResult], "Handle: 000000C0\r\nClass: Other\r\nTitle: (5) Elsewhere");
}

}  // namespace
}  // namespace vr
