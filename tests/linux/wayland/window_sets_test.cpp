// The window sources' parts that need no desktop: the toplevel table's account of changes, the Windows port over
// it, the composite of the X11 and Wayland sources, and the status line.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fakes.h"
#include "linux/wayland/composite_windows.h"
#include "linux/wayland/source_status.h"
#include "linux/wayland/toplevel_table.h"
#include "linux/wayland/window_source.h"

namespace vr::wl {
namespace {

// A source whose toplevels the test describes, as a compositor would; it records the actions asked of it.
class ScriptedSource final : public WindowSource {
public:
    WindowHandle appear(Toplevel toplevel) {
        const WindowHandle window = table_.add();
        commit(window, toplevel);
        return window;
    }
    void describe(WindowHandle window, Toplevel toplevel) { commit(window, toplevel); }
    void vanish(WindowHandle window) { table_.remove(window); }

    int fd() const override { return -1; }
    bool dispatch() override { return true; }
    SourceStatus status() const override { return status_; }
    void minimise(WindowHandle window) override { actions.push_back({window, "minimise"}); }
    void close(WindowHandle window) override { actions.push_back({window, "close"}); }

    SourceStatus status_{SourceKind::wlroots, NoSource::none, "", Ability::unknown, Ability::yes, Ability::no};
    std::vector<std::pair<WindowHandle, std::string>> actions;
};

Toplevel named(std::string appId, std::string title, std::uint32_t pid = 0) {
    Toplevel t;
    t.appId = std::move(appId);
    t.title = std::move(title);
    t.pid = pid;
    return t;
}

TEST(ToplevelTable, TellsWhatEachCommitChangedAndListsOnlyDescribedToplevelsInOrder) {
    ToplevelTable table;
    const WindowHandle first = table.add(), second = table.add();
    EXPECT_TRUE(isWaylandHandle(first));
    EXPECT_NE(first, second);
    EXPECT_TRUE(table.listed().empty());  // nothing described yet

    auto changes = table.commit(second, named("b", "Second"));
    EXPECT_TRUE(changes.appeared);
    EXPECT_FALSE(changes.renamed);
    changes = table.commit(first, named("a", "First"));
    EXPECT_EQ(table.listed(), (std::vector<WindowHandle>{first, second}));  // the order they were heard of

    changes = table.commit(first, named("a", "First"));
    EXPECT_FALSE(changes.appeared || changes.renamed || changes.beganAsking);
    changes = table.commit(first, named("a", "(1) First"));
    EXPECT_TRUE(changes.renamed);
    changes = table.commit(first, named("a2", "(1) First"));
    EXPECT_TRUE(changes.renamed);  // a new app id is a new class

    Toplevel minimised = named("a2", "(1) First");
    minimised.minimised = true;
    changes = table.commit(first, minimised);
    EXPECT_FALSE(changes.renamed);  // a state is no rename

    table.remove(first);
    EXPECT_EQ(table.get(first), nullptr);
    EXPECT_FALSE(table.commit(first, named("a", "Late")).appeared);  // a late description of a gone toplevel
    EXPECT_EQ(table.listed(), (std::vector<WindowHandle>{second}));
}

TEST(ToplevelTable, AttentionBeginsOnceAndAgainOnlyAfterItStopped) {
    ToplevelTable table;
    const WindowHandle window = table.add();
    Toplevel asking = named("a", "A");
    asking.attention = true;
    EXPECT_TRUE(table.commit(window, asking).beganAsking);  // new and asking at once
    EXPECT_FALSE(table.commit(window, asking).beganAsking);
    asking.title = "B";
    EXPECT_FALSE(table.commit(window, asking).beganAsking);  // still asking, only renamed
    EXPECT_FALSE(table.commit(window, named("a", "B")).beganAsking);
    EXPECT_TRUE(table.commit(window, asking).beganAsking);
}

TEST(ToplevelTable, HandlesNeverRepeatOneInUse) {
    ToplevelTable table;
    std::vector<WindowHandle> handles;
    for (int i = 0; i < 1000; ++i) handles.push_back(table.add());
    std::sort(handles.begin(), handles.end());
    EXPECT_EQ(std::adjacent_find(handles.begin(), handles.end()), handles.end());
    for (const WindowHandle h : handles) EXPECT_EQ(h & ~WindowHandle(0xFFFFFFFFu), 0u);  // fits 32 bits
}

TEST(WindowSourcePort, FindsByAppIdOrSecondNameAndTitleInTheOrderToplevelsAppeared) {
    ScriptedSource source;
    const WindowHandle mail = source.appear(named("org.example.Mail", "Inbox"));
    Toplevel x11 = named("org.example.Chat", "(2) Chat", 42);
    x11.className = "ChatClass";
    const WindowHandle chat = source.appear(x11);
    const WindowHandle mail2 = source.appear(named("org.example.Mail", "(3) Inbox"));

    EXPECT_EQ(source.find({"ORG.EXAMPLE.MAIL", std::nullopt}), mail);
    EXPECT_EQ(source.find({"org.example.mail", "(*) Inbox"}), mail2);
    EXPECT_EQ(source.find({"chatclass", std::nullopt}), chat);  // the second name counts too
    EXPECT_EQ(source.find({"", "(?) chat"}), chat);
    EXPECT_EQ(source.find({"org.example.Other", std::nullopt}), 0u);
    EXPECT_TRUE(source.fits(chat, {"ChatClass", "(*) Chat"}));
    EXPECT_FALSE(source.fits(chat, {"org.example.Mail", std::nullopt}));

    EXPECT_EQ(source.classOf(chat), "org.example.Chat");  // the app id plays the part of the class
    EXPECT_EQ(source.titleOf(mail2), "(3) Inbox");
    ASSERT_TRUE(source.ownerOf(chat));
    EXPECT_EQ(source.ownerOf(chat)->process, 42u);
    EXPECT_EQ(source.ownerOf(mail)->process, 0u);

    source.vanish(chat);
    EXPECT_EQ(source.classOf(chat), std::nullopt);
    EXPECT_EQ(source.ownerOf(chat), std::nullopt);
    EXPECT_FALSE(source.fits(chat, {"", std::nullopt}));
    const auto all = source.topLevelWindows();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].handle, mail);
    EXPECT_EQ(all[1].title, "(3) Inbox");
}

TEST(WindowSourcePort, AWindowWithoutAnAppIdIsKnownByItsSecondName) {
    ScriptedSource source;
    Toplevel bare = named("", "Bare");
    bare.className = "BareClass";
    const WindowHandle window = source.appear(bare);
    EXPECT_EQ(source.classOf(window), "BareClass");
}

TEST(WindowSourcePort, TitlesAreCutForTheListAndForRules) {
    ScriptedSource source;
    const std::string euros = [] { std::string s; for (int i = 0; i < 300; ++i) s += "\u20ac"; return s; }();
    const WindowHandle window = source.appear(named("a", euros));
    const auto all = source.topLevelWindows();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].title, euros.substr(0, 3 * Windows::kTitleChars));  // the list keeps 128 characters
    EXPECT_EQ(source.titleOf(window)->size(), euros.size());  // 300 characters: under what a rule reads
    const std::string longTitle(3000, 'x');
    const WindowHandle longer = source.appear(named("a", longTitle));
    EXPECT_EQ(source.titleOf(longer)->size(), Windows::kRuleTitleChars);
}

TEST(WindowSourceEvents, ReportNewAndRenamedWindowsAndAttentionOnlyWhileListening) {
    ScriptedSource source;
    std::vector<WindowHandle> windows, asking;
    source.onWindow = [&](WindowHandle w) { windows.push_back(w); };
    source.onAttention = [&](WindowHandle w) { asking.push_back(w); };

    const WindowHandle quiet = source.appear(named("a", "Before listening"));
    EXPECT_TRUE(windows.empty());

    source.listen(true, false);
    const WindowHandle fresh = source.appear(named("b", "New"));
    source.describe(quiet, named("a", "(1) Renamed"));
    source.describe(quiet, named("a", "(1) Renamed"));  // nothing changed: no event
    Toplevel asks = named("a", "(1) Renamed");
    asks.attention = true;
    source.describe(quiet, asks);  // attention is not listened to
    EXPECT_EQ(windows, (std::vector<WindowHandle>{fresh, quiet}));
    EXPECT_TRUE(asking.empty());

    source.listen(false, true);
    source.describe(quiet, named("a", "(1) Renamed"));
    source.describe(quiet, asks);
    source.describe(fresh, named("b", "Renamed unheard"));
    EXPECT_EQ(asking, (std::vector<WindowHandle>{quiet}));
    EXPECT_EQ(windows.size(), 2u);
}

TEST(WindowSourceEvents, AttentionIsUnavailableWhereTheSourceCannotTell) {
    ScriptedSource source;
    EXPECT_TRUE(source.attentionUnavailable());
    source.status_.attention = Ability::yes;
    EXPECT_FALSE(source.attentionUnavailable());
}

// The X11 source as the composite sees it: a desktop of windows with classes, titles and owners.
struct CompositeRig {
    fake::Windows x11;
    ScriptedSource wayland;
    static constexpr std::uint32_t kOwnPid = 4000;
    CompositeWindows windows{x11, &wayland, OwnProgram{kOwnPid, "vigilamp"}};

    WindowHandle x11Window(WindowHandle handle, std::string className, std::string title, std::uint32_t pid = 0) {
        x11.desktop.push_back({handle, std::move(title), std::move(className), {pid, 1}});
        return handle;
    }
    std::vector<std::string> titles() {
        std::vector<std::string> all;
        for (const auto& w : windows.topLevelWindows()) all.push_back(w.title);
        return all;
    }
};

TEST(CompositeWindows, ListsAnXwaylandWindowOnceUnderItsX11Handle) {
    CompositeRig rig;
    const WindowHandle xterm = rig.x11Window(0x400001, "XTerm", "shell", 77);
    rig.x11Window(0x400002, "XTerm", "second shell");
    // The compositor lists the X11 windows again, named after their class, beside its own clients.
    rig.wayland.appear(named("xterm", "shell", 77));
    rig.wayland.appear(named("XTerm", "second shell"));
    const WindowHandle native = rig.wayland.appear(named("foot", "shell"));
    EXPECT_EQ(rig.titles(), (std::vector<std::string>{"shell", "second shell", "shell"}));
    const auto all = rig.windows.topLevelWindows();
    EXPECT_EQ(all[0].handle, xterm);
    EXPECT_EQ(all[2].handle, native);  // same title, another program: listed
}

TEST(CompositeWindows, PairsEachX11WindowWithOneToplevelAtMost) {
    CompositeRig rig;
    rig.x11Window(0x400001, "Chat", "(1) Chat");
    rig.wayland.appear(named("chat", "(1) Chat"));
    const WindowHandle second = rig.wayland.appear(named("chat", "(1) Chat"));  // a native window alike
    const auto all = rig.windows.topLevelWindows();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].handle, second);
}

TEST(CompositeWindows, AWindowOfAnotherProcessIsNotTheX11One) {
    CompositeRig rig;
    rig.x11Window(0x400001, "Chat", "(1) Chat", 10);
    rig.wayland.appear(named("chat", "(1) Chat", 11));
    EXPECT_EQ(rig.windows.topLevelWindows().size(), 2u);
}

TEST(CompositeWindows, AToplevelKnownByItsSecondNameIsTheX11Window) {
    CompositeRig rig;
    rig.x11Window(0x400001, "Gedit", "notes.txt");
    Toplevel gnome = named("org.gnome.gedit", "notes.txt");
    gnome.className = "Gedit";
    rig.wayland.appear(gnome);
    EXPECT_EQ(rig.windows.topLevelWindows().size(), 1u);
}

TEST(CompositeWindows, LeavesOutTheProgramsOwnWindowsByProcessElseByAppId) {
    CompositeRig rig;
    const WindowHandle ownX11 = rig.x11Window(0x400001, "vigilamp", "Vigilamp Rizu!", CompositeRig::kOwnPid);
    const WindowHandle otherX11 = rig.x11Window(0x400002, "vigilamp", "Another copy", 999);  // another process
    const WindowHandle ownWayland = rig.wayland.appear(named("vigilamp", "Vigilamp Rizu! (Wayland)"));
    const WindowHandle ownByPid = rig.wayland.appear(named("something", "Own by process", CompositeRig::kOwnPid));
    const WindowHandle mail = rig.wayland.appear(named("mail", "Vigilamp Rizu! fan mail"));

    EXPECT_EQ(rig.titles(), (std::vector<std::string>{"Another copy", "Vigilamp Rizu! fan mail"}));
    EXPECT_TRUE(rig.windows.own(ownX11));
    EXPECT_FALSE(rig.windows.own(otherX11));
    EXPECT_TRUE(rig.windows.own(ownWayland));
    EXPECT_TRUE(rig.windows.own(ownByPid));
    // The sources' own lookups find the program's window first; the composite goes past it.
    EXPECT_EQ(rig.windows.find({"vigilamp", std::nullopt}), otherX11);
    EXPECT_EQ(rig.windows.find({"", "Vigilamp Rizu!*"}), mail);
    EXPECT_FALSE(rig.windows.fits(ownX11, {"vigilamp", std::nullopt}));
    EXPECT_FALSE(rig.windows.fits(ownWayland, {"", std::nullopt}));
    EXPECT_TRUE(rig.windows.fits(mail, {"", "*fan mail"}));
}

TEST(CompositeWindows, RoutesEachCallToTheSourceThatOwnsTheWindow) {
    CompositeRig rig;
    const WindowHandle x = rig.x11Window(0x400001, "XTerm", "shell");
    const WindowHandle w = rig.wayland.appear(named("foot", "foot shell", 5));
    rig.windows.minimise(w);
    rig.windows.close(x);
    rig.windows.close(w);
    EXPECT_EQ(rig.wayland.actions, (std::vector<std::pair<WindowHandle, std::string>>{{w, "minimise"}, {w, "close"}}));
    EXPECT_EQ(rig.x11.commands, (std::vector<std::pair<WindowHandle, std::string>>{{x, "close"}}));
    EXPECT_EQ(rig.windows.classOf(w), "foot");
    EXPECT_EQ(rig.windows.classOf(x), "XTerm");
    EXPECT_EQ(rig.windows.titleOf(w), "foot shell");
    EXPECT_EQ(rig.windows.ownerOf(w)->process, 5u);
    EXPECT_EQ(rig.windows.find({"FOOT", std::nullopt}), w);  // none of X11's fits: the Wayland one
}

TEST(CompositeWindows, WithoutAWaylandSourceOnlyX11WindowsExist) {
    fake::Windows x11;
    x11.desktop.push_back({0x400001, "shell", "XTerm", {1, 1}});
    CompositeWindows windows{x11, nullptr, OwnProgram{4000, "vigilamp"}};
    const WindowHandle stray = kWaylandHandleBit | 1;
    EXPECT_EQ(windows.topLevelWindows().size(), 1u);
    EXPECT_EQ(windows.classOf(stray), std::nullopt);
    EXPECT_FALSE(windows.fits(stray, {"", std::nullopt}));
    windows.close(stray);
    EXPECT_TRUE(x11.commands.empty());  // a handle of no source in use goes nowhere
}

TEST(SourceStatusLine, NamesTheSourceAndWhatWorksOrWhyNone) {
    const SourceStatus sway{SourceKind::wlroots, NoSource::none, "", Ability::unknown, Ability::yes, Ability::no};
    EXPECT_EQ(sway.line(), "Wayland windows through the compositor's toplevel list (wlroots): minimise not known "
                           "yet, close yes, attention no.");
    const SourceStatus off{SourceKind::none, NoSource::gnomeExtensionOff, "Turn it on.", {}, {}, {}};
    EXPECT_EQ(off.line(), "Wayland windows: not seen. Turn it on.");
}

}  // namespace
}  // namespace vr::wl
