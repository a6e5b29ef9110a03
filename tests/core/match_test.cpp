// The match rules: the title pattern, the rule with and without a class, the scan and the attention path over
// them, watching from start-up, the Match page's Test, and the Advanced page's pick filling the pattern.
#include <gtest/gtest.h>

#include "fakes/rig.h"
#include "linux/adapters/case_fold.h"
#include "match/match_rule.h"

namespace vr {
namespace {

bool fitsPattern(const std::string& pattern, const std::string& text) {
    return RuleMatcher({"", pattern}, lx::foldCase).fitsTitle(std::string_view(text));
}

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

TEST(TitlePattern, ComparesCharactersNotBytesWithEveryLetterFolded) {
    EXPECT_TRUE(fitsPattern("Caf?", "Café"));
    EXPECT_FALSE(fitsPattern("??", "é")) << "one character, however many bytes";
    EXPECT_TRUE(fitsPattern("cafÉ", "Café"));
    EXPECT_TRUE(fitsPattern("ПРИВЕТ", "привет"));
    EXPECT_TRUE(fitsPattern("*ΣΟΦΙΑ*", "(2) σοφια"));
    EXPECT_TRUE(fitsPattern("???", "日本語"));
    EXPECT_FALSE(fitsPattern("???", "日本"));
    EXPECT_FALSE(fitsPattern("ア", "ヂ")) << "no byte of one character stands for another";
    EXPECT_FALSE(fitsPattern("*a*", "ア"));
    EXPECT_TRUE(fitsPattern("?🙂*", "x🙂 smile")) << "a character beyond the first plane is one character";
    // A byte that starts no character is one unreadable character of its own, and takes nothing after it.
    EXPECT_TRUE(fitsPattern("?ab", "\xFF" "ab"));
    EXPECT_TRUE(fitsPattern("a?", "a\xE6"));  // a sequence cut short
}

TEST(TitlePattern, ATitleAsTheSystemKeepsItInUtf16FitsAsItsUtf8Would) {
    const RuleMatcher matcher({"", "*ÉTÉ ?🙂"}, lx::foldCase);
    EXPECT_TRUE(matcher.fitsTitle(std::u16string_view(u"(1) été x🙂")));
    EXPECT_FALSE(matcher.fitsTitle(std::u16string_view(u"(1) été 🙂")));
    EXPECT_TRUE(matcher.fitsTitle(std::u16string_view(u"été \xD800🙂"))) << "a lone surrogate is one character";
    EXPECT_EQ(toUtf8(u"été 🙂"), "été 🙂");
    EXPECT_EQ(toUtf16("été 🙂"), u"été 🙂");
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
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
    const RuleMatcher classOnly({"IMWindowClass", std::nullopt}, lx::foldCase);
    EXPECT_TRUE(classOnly.fits("imwindowclass", "whatever"));
    EXPECT_FALSE(classOnly.fits("IMWindowClass2", "whatever"));
    EXPECT_FALSE(classOnly.fits("IMWindowClas", "whatever"));
    EXPECT_TRUE(RuleMatcher({"ÉTÉ", std::nullopt}, lx::foldCase).fits("été", ""));
    const RuleMatcher both({"Chrome_WidgetWin_1", "(*)*"}, lx::foldCase);
    EXPECT_TRUE(both.fits("Chrome_WidgetWin_1", "(2) Chat"));
    EXPECT_FALSE(both.fits("Chrome_WidgetWin_1", "Chat"));
    EXPECT_FALSE(both.fits("Notepad", "(2) Chat"));
    const RuleMatcher titleOnly({"", "*Inbox*"}, lx::foldCase);
    EXPECT_TRUE(titleOnly.fits("AnyClass", "(1) Inbox"));
    EXPECT_TRUE((WindowRule{"", std::nullopt}.empty()));  // nothing set: names no window
    EXPECT_TRUE(RuleMatcher({"", std::nullopt}, lx::foldCase).fits("AnyClass", ""));  // yet any window fits it
    EXPECT_FALSE((WindowRule{"", "*"}.empty()));
}

TEST(PatternForTitle, KeepsTheWholeTitleWithLineBreaksAsOneCharacterAndALongOneCutWithAStar) {
    EXPECT_EQ(patternForTitle("Evil\r\n[Actions]\r\nEnable=1", 2047), "Evil??[Actions]??Enable=1");
    EXPECT_TRUE(fitsPattern(patternForTitle("Evil\r\n[Actions]", 2047), "Evil\r\n[Actions]"));
    const std::string title = std::string(300, 'x') + "é";
    EXPECT_EQ(patternForTitle(title, 2047), title);
    EXPECT_EQ(patternForTitle(title, 301), title);
    EXPECT_EQ(patternForTitle(title, 300), std::string(299, 'x') + "*");
    EXPECT_EQ(patternForTitle("日本語です", 3), "日本*");
    EXPECT_TRUE(fitsPattern(patternForTitle("日本語です", 3), "日本語です"));
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
                [](fake::Rig& x) { x.events.reason = "it does not report windows that flash their taskbar buttons."; }};
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

TEST_F(MatchTest, APickTakesTheWholeTitleAndWhatAnotherProgramNamesNeverWritesSettings) {
    const std::string longTitle = std::string(299, 'L') + "é";
    const std::string planted = "Evil\r\n[Actions]\r\nEnable=1\r\nFile=C:\\planted.exe\r\n[Advanced]";
    rig.windows.desktop = {{0xD0, longTitle, "LongWindow", {1, 2}},
                           {0xE0, "Evil\r\n[Actions]\r\nEnable=1", planted, {3, 4}},
                           {0xF0, std::string(300, 'L'), "Other", {5, 6}}};
    rig.toggle(Ctl::cbxEnableAdvanced);
    rig.click(Ctl::btnScan);
    rig.model.userSelected(Ctl::lsbHandles, 0);
    rig.click(Ctl::lsbHandles);
    EXPECT_EQ(rig.view.items[Ctl::lsbHandles][0].text.size(), 128u) << "the list shows what it keeps";
    EXPECT_EQ(rig.view.texts[Ctl::txtTitle], longTitle) << "the pattern holds the whole title";
    rig.toggle(Ctl::cbxTitleEnable);
    rig.click(Ctl::btnTest);
    EXPECT_EQ(rig.view.texts[Ctl::lblTestResult].substr(0, 16), "Handle: 000000D0");

    rig.profile.writes.clear();
    rig.model.userSelected(Ctl::lsbHandles, 1);
    rig.click(Ctl::lsbHandles);
    EXPECT_EQ(rig.view.texts[Ctl::txtTitle], "Evil??[Actions]??Enable=1") << "each line break one '?'";
    EXPECT_NE(rig.view.texts[Ctl::lblHandle].find("This class holds a line break: it is watched now, but Set cannot "
                                                  "keep it."),
              std::string::npos);
    rig.click(Ctl::btnTest);
    EXPECT_EQ(rig.view.texts[Ctl::lblTestResult].substr(0, 16), "Handle: 000000E0") << "the class and title fit it";
    rig.click(Ctl::btnSet);
    ASSERT_FALSE(rig.dialogs.shown.empty());
    EXPECT_EQ(rig.dialogs.shown.back().kind, "exception");
    EXPECT_NE(rig.dialogs.shown.back().text.find("the value of Handlename holds a line break"), std::string::npos);
    rig.click(Ctl::btnTitleSet);
    for (const auto& write : rig.profile.writes)
        EXPECT_EQ(write.value.find_first_of("\r\n"), std::string::npos) << write.key << " reached the file";
    EXPECT_EQ(rig.profile.get("Match", "Title"), "Evil??[Actions]??Enable=1");
    EXPECT_FALSE(rig.profile.get("Actions", "File")) << "no key was planted";
}

TEST_F(MatchTest, AttentionIsListenedForOnlyWhileTheBoxIsTickedAndTheWatchScans) {
    EXPECT_FALSE(rig.events.attentionHeard()) << "idle";
    rig.click(Ctl::btnExecute);
    EXPECT_FALSE(rig.events.attentionHeard()) << "during the initial delay";
    rig.timers.advance(1000);
    EXPECT_TRUE(rig.events.attentionHeard()) << "scanning";
    rig.toggle(Ctl::cbxAttention);
    EXPECT_FALSE(rig.events.attentionHeard()) << "the box unticked";
    rig.toggle(Ctl::cbxAttention);
    EXPECT_TRUE(rig.events.attentionHeard());
    retitle(kBrowser, "(1) Inbox");
    rig.timers.advance(1000);
    ASSERT_TRUE(alerting());
    EXPECT_FALSE(rig.events.attentionHeard()) << "alerting";
    rig.click(Ctl::btnDisable);
    EXPECT_FALSE(rig.events.attentionHeard());
    using L = fake::WindowEvents::Listening;
    EXPECT_EQ(rig.events.listening, (std::vector<L>{{true, true}, {true, false}, {true, true}, {false, false}}))
        << "new windows while scanning, attention only with its box; each change once";
}

TEST_F(MatchTest, AWindowThatAppearsOrIsRenamedIsCheckedAsTheScanWouldCheckIt) {
    const std::vector<fake::Windows::Desktop> windows = {{0xA1, "(1) Inbox", "Chrome_WidgetWin_1", {1, 2}},
                                                         {0xA2, "Inbox", "Chrome_WidgetWin_1", {1, 2}},
                                                         {0xA3, "(2) Inbox", "Other", {1, 2}},
                                                         {0xA4, "Café (3)", "VIGILAMPCHARS", {1, 2}}};
    const std::vector<fake::Ini> rules = {
        {{"Advanced", "Handlename", "Chrome_WidgetWin_1"}, {"Match", "Title", "(*)*"}, {"Match", "TitleEnable", "1"}},
        {{"Advanced", "Handlename", "Chrome_WidgetWin_1"}},
        {{"Advanced", "Handlename", ""}, {"Match", "Title", "caf? (*)"}, {"Match", "TitleEnable", "1"}},
        {{"Advanced", "Handlename", "vigilampchars"}},
        {{"Advanced", "Handlename", ""}}};
    for (const auto& rule : rules)
        for (const auto& window : windows) {
            SCOPED_TRACE(window.title + " / rule " + std::to_string(&rule - rules.data()));
            const auto alerted = [&](bool byEvent) {
                fake::Rig r{ini(rule), [&](fake::Rig& x) {
                                if (!byEvent) x.windows.desktop = {window};
                            }};
                r.click(Ctl::btnExecute);
                r.timers.advance(1000);  // the delay: scanning now
                if (byEvent) {
                    r.windows.desktop = {window};
                    r.journal.clear();
                    r.form.windowChanged(window.handle);
                } else {
                    r.journal.clear();
                    r.timers.advance(1000);
                }
                std::vector<std::string> actions;
                for (const auto& e : r.journal)
                    if (e.rfind("find:", 0) != 0) actions.push_back(e);
                return std::pair{r.form.watch.tmrFlash.enabled(), actions};
            };
            EXPECT_EQ(alerted(true), alerted(false)) << "the event and the scan agree, actions included";
        }
    // Idle, or already alerting, an event starts nothing.
    rig.form.windowChanged(kBrowser);
    EXPECT_FALSE(alerting());
}

TEST_F(MatchTest, AnEmptyRuleScansForNothingWhileAnyWindowAskingForAttentionAlerts) {
    fake::Rig any{ini({{"Advanced", "Handlename", ""}, {"Match", "Attention", "1"}}),
                  [](fake::Rig& r) { r.windows.desktop = {{kOther, "Quiet", "Other", {1, 2}}}; }};
    any.click(Ctl::btnExecute);
    any.timers.advance(5000);
    EXPECT_FALSE(any.form.watch.tmrFlash.enabled()) << "the quiet window raises nothing";
    any.click(Ctl::btnTest);
    EXPECT_EQ(any.view.texts[Ctl::lblTestResult],
              "The rule names no window (no class, no title pattern): only a window that asks for attention can "
              "raise the alert.");
    any.form.windowAsksForAttention(kOther);
    EXPECT_TRUE(any.form.watch.tmrFlash.enabled());
    EXPECT_EQ(any.windows.commands.back(), (std::pair<WindowHandle, std::string>{kOther, "minimise"}));
}

}  // namespace
}  // namespace vr
