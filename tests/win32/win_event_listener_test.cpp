// The Windows window events as far as no Win32 call is involved: the hooks held only while listened for, which
// win events name a top-level window, the rounds the windows are handed on in, and the shell's flashing buttons.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "win32/adapters/win_event_listener.h"

namespace vr::win32 {
namespace {

using L = WinEventListener;
using Windows = std::vector<WindowHandle>;

// The raw calls, with knobs for what the system says and a journal of what the listener asked.
struct FakeCalls : WinEventCalls {
    std::set<WindowHandle> children;  // windows that are not top-level ones
    bool refuseHooks = false, refuseShell = false;
    std::uint64_t clock = 5000;
    std::vector<std::string> journal;  // "hook", "unhook", "shell on", "shell off", "round now", "round in N", "no round"

    bool hookWinEvents(bool on) override {
        journal.push_back(on ? "hook" : "unhook");
        return !(on && refuseHooks);
    }
    bool shellHook(bool on) override {
        journal.push_back(on ? "shell on" : "shell off");
        return !refuseShell;
    }
    bool topLevel(WindowHandle window) override { return !children.contains(window); }
    std::uint64_t now() override { return clock; }
    void roundNow() override { journal.push_back("round now"); }
    void roundIn(unsigned ms) override { journal.push_back("round in " + std::to_string(ms)); }
    void noRound() override { journal.push_back("no round"); }

    std::vector<std::string> take() { return std::exchange(journal, {}); }
};

struct WinEventListenerTest : ::testing::Test {
    FakeCalls calls;
    WinEventListener listener{calls, true};
    Windows changed, asked;

    void SetUp() override {
        listener.onChange = [this](WindowHandle w) { changed.push_back(w); };
        listener.onAttention = [this](WindowHandle w) { asked.push_back(w); };
    }
    void renamed(WindowHandle w) { listener.winEvent(L::kObjectNameChange, w, L::kObjectIdWindow, L::kChildIdSelf); }
    void created(WindowHandle w) { listener.winEvent(L::kObjectCreate, w, L::kObjectIdWindow, L::kChildIdSelf); }
};

TEST_F(WinEventListenerTest, TheHooksAreHeldOnlyWhileChangesAreListenedFor) {
    listener.listen(false, false);
    EXPECT_TRUE(calls.take().empty()) << "off costs nothing, not even a call";
    listener.listen(true, false);
    EXPECT_EQ(calls.take(), std::vector<std::string>{"hook"});
    listener.listen(true, false);
    EXPECT_TRUE(calls.take().empty()) << "asked again: held already";
    created(10);
    calls.take();
    listener.listen(false, false);
    EXPECT_EQ(calls.take(), (std::vector<std::string>{"unhook", "no round"}));
    // An event already on its way when the hooks went, and the round's message that was posted before.
    renamed(11);
    listener.round();
    EXPECT_TRUE(changed.empty()) << "nothing is handed on once the form stopped listening";
    EXPECT_TRUE(calls.take().empty());
    listener.listen(true, false);
    created(12);
    listener.round();
    EXPECT_EQ(changed, Windows{12}) << "what was gathered before the pause is forgotten, not handed on later";
}

TEST_F(WinEventListenerTest, AHookTheSystemRefusedIsNotUnhookedAndIsTriedAgainAtTheNextListen) {
    calls.refuseHooks = true;
    listener.listen(true, false);
    listener.listen(false, false);
    EXPECT_EQ(calls.take(), (std::vector<std::string>{"hook", "no round"}));
    calls.refuseHooks = false;
    listener.listen(true, false);
    EXPECT_EQ(calls.take(), std::vector<std::string>{"hook"});
}

TEST_F(WinEventListenerTest, OnlyATopLevelWindowCreatedShownOrRenamedAsAWholeIsHandedOn) {
    EXPECT_TRUE(L::namesWindow(L::kObjectCreate, L::kObjectIdWindow, L::kChildIdSelf));
    EXPECT_TRUE(L::namesWindow(L::kObjectShow, L::kObjectIdWindow, L::kChildIdSelf));
    EXPECT_TRUE(L::namesWindow(L::kObjectNameChange, L::kObjectIdWindow, L::kChildIdSelf));
    EXPECT_FALSE(L::namesWindow(L::kObjectDestroy, L::kObjectIdWindow, L::kChildIdSelf)) << "a window that went";
    EXPECT_FALSE(L::namesWindow(0x800B, L::kObjectIdWindow, L::kChildIdSelf)) << "a location change";
    EXPECT_FALSE(L::namesWindow(L::kObjectNameChange, -4, L::kChildIdSelf)) << "the client area";
    EXPECT_FALSE(L::namesWindow(L::kObjectShow, -8, L::kChildIdSelf)) << "the caret";
    EXPECT_FALSE(L::namesWindow(L::kObjectNameChange, L::kObjectIdWindow, 3)) << "an item of a list";

    calls.children = {20};
    listener.listen(true, false);
    calls.take();
    listener.winEvent(L::kObjectDestroy, 21, L::kObjectIdWindow, L::kChildIdSelf);
    listener.winEvent(L::kObjectNameChange, 22, -4, L::kChildIdSelf);
    listener.winEvent(L::kObjectNameChange, 23, L::kObjectIdWindow, 2);
    renamed(20);  // a control that renamed itself
    renamed(0);
    EXPECT_TRUE(calls.take().empty()) << "no round is arranged for events that name no top-level window";
    listener.winEvent(L::kObjectShow, 24, L::kObjectIdWindow, L::kChildIdSelf);
    created(25);
    renamed(26);
    listener.round();
    EXPECT_EQ(changed, (Windows{24, 25, 26}));
}

TEST_F(WinEventListenerTest, AThousandRenamesBeforeTheRoundCostOneCheckAndOneMessage) {
    listener.listen(true, false);
    calls.take();
    created(30);
    for (int i = 0; i < 1000; ++i) {
        renamed(30);
        renamed(31);
    }
    EXPECT_EQ(calls.take(), std::vector<std::string>{"round now"});
    listener.round();
    EXPECT_EQ(changed, (Windows{30, 31}));
    listener.round();  // a second message of the same round
    EXPECT_EQ(changed.size(), 2u);
}

TEST_F(WinEventListenerTest, RenamesWithinTheGapWaitForATimerAndAnEarlyMessageHandsNothingOn) {
    listener.listen(true, false);
    renamed(40);
    listener.round();
    calls.take();
    constexpr unsigned half = EventRounds::kGapMs / 2, quarter = EventRounds::kGapMs / 4;
    calls.clock += half;
    renamed(40);
    EXPECT_EQ(calls.take(), std::vector<std::string>{"round in " + std::to_string(EventRounds::kGapMs - half)});
    calls.clock += quarter;
    listener.round();  // a message that was on its way: too early
    EXPECT_EQ(changed, Windows{40});
    EXPECT_EQ(calls.take(),
              std::vector<std::string>{"round in " + std::to_string(EventRounds::kGapMs - half - quarter)});
    calls.clock += EventRounds::kGapMs;
    listener.round();
    EXPECT_EQ(changed, (Windows{40, 40})) << "the last title is checked once the gap has passed";
}

TEST_F(WinEventListenerTest, AFloodOfNewWindowsIsHandedOnInSlicesWithTheMessageLoopBetween) {
    listener.listen(true, false);
    calls.take();
    for (WindowHandle w = 1; w <= 500; ++w) created(w);
    EXPECT_EQ(calls.take(), std::vector<std::string>{"round now"});
    listener.round();
    EXPECT_EQ(changed.size(), EventRounds::kMostPerRound);
    EXPECT_EQ(calls.take(), std::vector<std::string>{"round now"}) << "the rest after what waits in the queue";
    listener.round();
    listener.round();
    EXPECT_EQ(changed.size(), 500u);
    EXPECT_EQ(std::set<WindowHandle>(changed.begin(), changed.end()).size(), 500u) << "each once";
}

TEST_F(WinEventListenerTest, ACheckThatStartsTheAlertEndsTheRoundAsTheFormStopsListening) {
    listener.onChange = [this](WindowHandle w) {
        changed.push_back(w);
        if (w == 51) listener.listen(false, false);  // it fits: the form's dispatch stops the listening
    };
    listener.listen(true, false);
    created(50);
    created(51);
    created(52);
    listener.round();
    EXPECT_EQ(changed, (Windows{50, 51}));
    listener.listen(true, false);
    listener.round();
    EXPECT_EQ(changed, (Windows{50, 51})) << "the rest of that round is not handed on later";
}

TEST_F(WinEventListenerTest, AFlashingButtonIsReportedOnlyWhileAttentionIsListenedFor) {
    listener.shellMessage(L::kShellFlash, 60);
    EXPECT_TRUE(asked.empty());
    listener.listen(false, true);
    EXPECT_EQ(calls.take(), std::vector<std::string>{"shell on"}) << "attention alone sets no win event hook";
    listener.shellMessage(L::kShellFlash, 61);
    listener.shellMessage(1, 62);  // HSHELL_WINDOWCREATED: not attention
    listener.shellMessage(6, 63);  // HSHELL_REDRAW without the high bit: a redrawn title, not a flash
    EXPECT_EQ(asked, Windows{61});
    listener.listen(true, true);
    EXPECT_EQ(calls.take(), std::vector<std::string>{"hook"});
    listener.listen(true, false);
    EXPECT_EQ(calls.take(), std::vector<std::string>{"shell off"});
    listener.shellMessage(L::kShellFlash, 64);
    EXPECT_EQ(asked, Windows{61});
    EXPECT_EQ(listener.attentionUnavailable(), std::nullopt);
}

TEST_F(WinEventListenerTest, AShellThatRefusesTheHookLeavesAttentionUnheardAndIsAskedAgainNextTime) {
    calls.refuseShell = true;
    listener.listen(false, true);
    listener.shellMessage(L::kShellFlash, 70);
    EXPECT_TRUE(asked.empty());
    listener.listen(false, true);
    EXPECT_EQ(calls.take(), (std::vector<std::string>{"shell on", "shell on"}));
}

TEST(WinEventListenerWithoutShellReports, SaysWhyAndNeverRegisters) {
    FakeCalls calls;
    WinEventListener listener(calls, false);
    EXPECT_EQ(listener.attentionUnavailable(), "it does not report windows that flash their taskbar buttons.");
    listener.listen(true, true);
    listener.listen(false, false);
    EXPECT_EQ(calls.journal, (std::vector<std::string>{"hook", "unhook", "no round"}));
}

}  // namespace
}  // namespace vr::win32
