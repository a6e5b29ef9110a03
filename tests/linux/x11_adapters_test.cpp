// The X11 adapters against the X server and window manager $DISPLAY names (tests/linux/run_x11_tests.sh starts
// a private Xvfb with openbox, which keeps its state when its last client leaves). The test's windows belong to
// connections of their own, as other programs' do.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

// The program's headers before Xlib's, whose macros (Status, None) would rename their words.
#include "linux/adapters/x11_window_events.h"
#include "linux/adapters/x11_windows.h"
#include "linux/adapters/xkb_lamps.h"
#include "linux/adapters/xkb_lights.h"
#include "linux/linux_files.h"

#include <X11/Xlib-xcb.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace vr::lx {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

template <class Done>
bool eventually(Done done, std::chrono::milliseconds limit = 3s) {
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(10ms))
        if (done()) return true;
    return done();
}

struct Look {
    Look(std::string instance, std::string className, std::string title, std::string latin1Name = "", long pid = 0)
        : instance(instance), className(className), title(title), latin1Name(latin1Name), pid(pid) {}
    std::string instance, className;
    std::string title;       // _NET_WM_NAME, UTF-8; none when empty
    std::string latin1Name;  // WM_NAME as STRING; none when empty
    long pid;                // _NET_WM_PID; none when 0
};

Atom atom(Display* d, const char* name) { return XInternAtom(d, name, False); }

::Window makeWindow(Display* d, const Look& look) {
    const ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 60, 40, 0, 0, 0);
    XClassHint hint{const_cast<char*>(look.instance.c_str()), const_cast<char*>(look.className.c_str())};
    XSetClassHint(d, w, &hint);
    const auto text = [&](Atom name, Atom type, const std::string& value) {
        XChangeProperty(d, w, name, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(value.data()), int(value.size()));
    };
    if (!look.title.empty()) text(atom(d, "_NET_WM_NAME"), atom(d, "UTF8_STRING"), look.title);
    if (!look.latin1Name.empty()) text(XA_WM_NAME, XA_STRING, look.latin1Name);
    if (look.pid)
        XChangeProperty(d, w, atom(d, "_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&look.pid), 1);
    Atom deleteWindow = atom(d, "WM_DELETE_WINDOW");
    XSetWMProtocols(d, w, &deleteWindow, 1);
    XMapWindow(d, w);
    XFlush(d);
    return w;
}

bool listed(X11Windows& windows, ::Window w) {
    const auto all = windows.topLevelWindows();
    return std::any_of(all.begin(), all.end(), [w](const TopLevelWindow& t) { return t.handle == w; });
}

class X11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ours_, nullptr) << "no X display (run tests/linux/run_x11_tests.sh)";
        ASSERT_NE(app_, nullptr);
    }
    void TearDown() override {
        if (ours_) XCloseDisplay(ours_);
        if (app_) XCloseDisplay(app_);  // the other program ends, and its windows with it
    }
    // A window of the other program, once the window manager lists it.
    ::Window shown(const Look& look, Display* owner = nullptr) {
        const ::Window w = makeWindow(owner ? owner : app_, look);
        EXPECT_TRUE(eventually([&] { return listed(windows_, w); })) << look.className << " never listed";
        return w;
    }

    Display* ours_ = XOpenDisplay(nullptr);
    Display* app_ = XOpenDisplay(nullptr);
    X11Windows windows_{ours_};
};

TEST_F(X11Test, FindsTheFirstWindowByClassOrInstanceThenByTitle) {
    const ::Window first = shown({"vr-alpha", "VrAlpha", "Alpha window"});
    const ::Window second = shown({"vr-alpha", "VrAlpha", "Second alpha"});
    const ::Window beta = shown({"vr-beta", "VrBeta", "Beta window"});
    EXPECT_EQ(windows_.find({"vralpha", std::nullopt}), first);  // the list's order, letter case ignored
    EXPECT_EQ(windows_.find({"VR-BETA", std::nullopt}), beta);   // by instance
    EXPECT_EQ(windows_.find({"VrAlpha", "second*"}), second);
    EXPECT_EQ(windows_.find({"", "beta w?ndow"}), beta);
    EXPECT_EQ(windows_.find({"VrBeta", "Alpha*"}), 0u);
    EXPECT_EQ(windows_.find({"vr-nothing", std::nullopt}), 0u);
    EXPECT_EQ(windows_.classOf(beta), "VrBeta");  // the class part, not the instance
    // A window that asks for attention is judged by the same names.
    EXPECT_TRUE(windows_.fits(beta, {"vr-beta", "Beta*"}));
    EXPECT_FALSE(windows_.fits(beta, {"VrAlpha", std::nullopt}));
    EXPECT_EQ(windows_.titleOf(second), "Second alpha");
    EXPECT_TRUE(windows_.fits(beta, {"", std::nullopt})) << "an empty rule fits any window that asks";
    EXPECT_EQ(windows_.find({"", std::nullopt}), 0u) << "yet names none to look for";

    // Seen by the program whose windows they are, they are never found, listed or fitted.
    X11Windows mine(ours_, xcb_get_setup(XGetXCBConnection(app_))->resource_id_base);
    EXPECT_EQ(mine.find({"vralpha", std::nullopt}), 0u);
    EXPECT_EQ(mine.find({"", "*"}), 0u);
    EXPECT_FALSE(listed(mine, first));
    EXPECT_FALSE(mine.fits(beta, {"", std::nullopt}));
    EXPECT_EQ(mine.classOf(beta), "VrBeta") << "what the survey shows of a window stays readable";
}

// The survey keeps a title's first kTitleChars characters, whatever their bytes.
TEST_F(X11Test, TitlesAreCutToWholeCharactersAndLatin1NamesConverted) {
    const std::string accents = [] { std::string s; for (int i = 0; i < 200; ++i) s += "\u00e9"; return s; }();
    const ::Window wide = shown({"vr-t", "VrTitles", accents});
    const ::Window edge = shown({"vr-t", "VrTitles", std::string(127, 'x') + "\u20ac\U0001F600 tail"});
    const ::Window old = shown({"vr-t", "VrTitles", "", "Caf\xe9 cr\xe8me"});
    std::map<WindowHandle, std::string> titles;
    for (const auto& t : windows_.topLevelWindows()) titles[t.handle] = t.title;
    EXPECT_EQ(titles[wide], accents.substr(0, 2 * Windows::kTitleChars));
    EXPECT_EQ(titles[edge], std::string(127, 'x') + "\u20ac");
    EXPECT_EQ(titles[old], "Caf\u00e9 cr\u00e8me");
    EXPECT_EQ(windows_.titleOf(wide), accents);  // a rule looks further
}

TEST_F(X11Test, OwnerIsTheProcessAndTheXClient) {
    const ::Window a = shown({"vr-o", "VrOwner", "Owned", "", 4242});
    const ::Window b = shown({"vr-o", "VrOwner", "Owned too"});
    Display* other = XOpenDisplay(nullptr);
    const ::Window c = shown({"vr-o", "VrOwner", "Another client"}, other);
    const auto ownerA = windows_.ownerOf(a), ownerB = windows_.ownerOf(b), ownerC = windows_.ownerOf(c);
    ASSERT_TRUE(ownerA && ownerB && ownerC);
    EXPECT_EQ(ownerA->process, 4242u);
    EXPECT_EQ(ownerB->process, 0u);
    EXPECT_EQ(ownerA->thread, ownerB->thread);
    EXPECT_NE(ownerA->thread, ownerC->thread);
    EXPECT_NE(ownerA->thread, std::uint32_t(a));  // the client, not the window
    XCloseDisplay(other);
}

TEST_F(X11Test, AGoneWindowGivesNothing) {
    const ::Window w = shown({"vr-gone", "VrGone", "Soon gone", "", 7});
    XDestroyWindow(app_, w);
    XSync(app_, False);
    EXPECT_EQ(windows_.classOf(w), std::nullopt);
    EXPECT_EQ(windows_.titleOf(w), std::nullopt);
    EXPECT_EQ(windows_.ownerOf(w), std::nullopt);
    EXPECT_EQ(windows_.find({"VrGone", std::nullopt}), 0u);
    windows_.close(w);
    windows_.minimise(w);
    EXPECT_TRUE(eventually([&] { return !listed(windows_, w); }));
}

TEST_F(X11Test, AClientThatNeverReadsItsEventsDelaysNothing) {
    Display* hung = XOpenDisplay(nullptr);
    const ::Window w = shown({"vr-hung", "VrHung", "Not answering"}, hung);
    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(windows_.find({"VrHung", "not*"}), w);
        EXPECT_EQ(windows_.find({"vr-none", "x"}), 0u);
        EXPECT_FALSE(windows_.topLevelWindows().empty());
        windows_.close(w);
        windows_.minimise(w);
    }
    EXPECT_LT(Clock::now() - start, 2s);
    XCloseDisplay(hung);
}

TEST_F(X11Test, CloseAndMinimiseReachTheWindow) {
    const ::Window closing = shown({"vr-c", "VrClose", "Close me"});
    const ::Window iconic = shown({"vr-c", "VrClose", "Minimise me"});
    windows_.close(closing);
    XEvent event{};
    EXPECT_TRUE(eventually([&] { return XCheckTypedWindowEvent(app_, closing, ClientMessage, &event); }));
    EXPECT_EQ(event.xclient.message_type, atom(app_, "WM_PROTOCOLS"));
    EXPECT_EQ(Atom(event.xclient.data.l[0]), atom(app_, "WM_DELETE_WINDOW"));
    windows_.minimise(iconic);
    EXPECT_TRUE(eventually([&] {
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(app_, iconic, atom(app_, "WM_STATE"), 0, 2, False, AnyPropertyType, &type, &format, &items,
                           &after, &data);
        const bool isIconic = data && items > 0 && reinterpret_cast<long*>(data)[0] == IconicState;
        if (data) XFree(data);
        return isIconic;
    }));
}

TEST_F(X11Test, LightsSetActAtOnceAndReadBackForEachKey) {
    XkbLockLights lights(ours_);
    const char* names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    const auto seenElsewhere = [&](int i) {  // the server's own indicator, through another connection
        Bool on = False;
        XkbGetNamedIndicator(app_, atom(app_, names[i]), nullptr, &on, nullptr, nullptr);
        return on == True;
    };
    for (int i = 0; i < 3; ++i) {
        const auto key = LockKey(i);
        SCOPED_TRACE(names[i]);
        ASSERT_FALSE(lights.on(key));
        lights.set(key, true);
        EXPECT_TRUE(lights.on(key));
        EXPECT_TRUE(seenElsewhere(i));
        for (int other = 0; other < 3; ++other) {
            if (other != i) {
                EXPECT_FALSE(lights.on(LockKey(other)));
            }
        }
        lights.set(key, true);  // already so
        EXPECT_TRUE(lights.on(key));
        lights.set(key, false);
        lights.set(key, true);
        lights.set(key, false);
        EXPECT_FALSE(lights.on(key));
        EXPECT_FALSE(seenElsewhere(i));
    }
    for (int i = 0; i < 3; ++i) lights.set(LockKey(i), false);  // the lights end off
}

// The adapter run as the program's event loop runs it: called whenever its socket is readable, and when it asked
// to be called again, never otherwise, so a round it forgets to ask for is never run by chance.
class EventLoop {
public:
    explicit EventLoop(X11WindowEvents& events) : events_(events) {}
    // Runs until done holds or the time is up; whether done held.
    template <class Done>
    bool runUntil(Done done, std::chrono::milliseconds limit) {
        for (const auto end = Clock::now() + limit;;) {
            if (done()) return true;
            if (Clock::now() >= end) return false;
            auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (callAt_) wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(*callAt_ - Clock::now()));
            pollfd p{events_.fd(), POLLIN, 0};
            const bool readable = poll(&p, 1, int(std::clamp<long>(wait.count(), 0, 10))) > 0;
            if (readable || (callAt_ && Clock::now() >= *callAt_)) {
                callAt_.reset();
                if (const auto ms = events_.processEvents()) callAt_ = Clock::now() + std::chrono::milliseconds(*ms);
            }
        }
    }
    void run(std::chrono::milliseconds time) { runUntil([] { return false; }, time); }

private:
    X11WindowEvents& events_;
    std::optional<Clock::time_point> callAt_;
};

// The event mask this connection has selected on the window.
long selected(Display* d, ::Window w) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(d, w, &attributes) ? attributes.your_event_mask : -1;
}

void retitle(Display* d, ::Window w, const std::string& title) {
    XChangeProperty(d, w, atom(d, "_NET_WM_NAME"), atom(d, "UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
    XFlush(d);
}

// What onChange was told, with the title the window held when it was told: a report must come after the change.
struct Reports {
    X11Windows& windows;
    std::vector<std::pair<WindowHandle, std::string>> seen;
    void operator()(WindowHandle w) { seen.emplace_back(w, windows.titleOf(w).value_or("<gone>")); }
    std::size_t of(WindowHandle w) const {
        return std::size_t(std::count_if(seen.begin(), seen.end(), [w](const auto& r) { return r.first == w; }));
    }
    std::string last(WindowHandle w) const {
        for (auto r = seen.rbegin(); r != seen.rend(); ++r)
            if (r->first == w) return r->second;
        return "<none>";
    }
};

class X11EventsTest : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        ASSERT_NE(events_.get(), nullptr);
        adapter_.onChange = [this](WindowHandle w) { reports_(w); };
        adapter_.onAttention = [this](WindowHandle w) { asked_.push_back(w); };
    }
    // Reported n times in all, and still n times a while later: each change is told once.
    ::testing::AssertionResult reportedTimes(WindowHandle w, std::size_t n) {
        loop_.runUntil([&] { return reports_.of(w) >= n; }, 3s);
        loop_.run(300ms);
        if (reports_.of(w) == n) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "reported " << reports_.of(w) << " times, wanted " << n;
    }

    const std::unique_ptr<Display, int (*)(Display*)> events_{XOpenDisplay(nullptr), XCloseDisplay};
    X11WindowEvents adapter_{events_.get()};
    EventLoop loop_{adapter_};
    Reports reports_{windows_, {}};
    std::vector<WindowHandle> asked_;
};

TEST_F(X11EventsTest, ANewWindowARenameAndANewClassAreEachReportedOnce) {
    const ::Window before = shown({"vr-e", "VrEvents", "There before"});
    adapter_.listen(true, false);
    loop_.run(300ms);
    EXPECT_EQ(reports_.of(before), 0u) << "a window there when listening begins is the scan's to find, not news";

    // Its class, title, process and protocols set and then mapped, managed and framed: one report.
    const ::Window appeared = makeWindow(app_, {"vr-e", "VrEvents", "Appeared"});
    EXPECT_TRUE(reportedTimes(appeared, 1));
    EXPECT_EQ(reports_.last(appeared), "Appeared");

    retitle(app_, appeared, "(1) Appeared");
    EXPECT_TRUE(reportedTimes(appeared, 2)) << "_NET_WM_NAME";
    EXPECT_EQ(reports_.last(appeared), "(1) Appeared");
    XDeleteProperty(app_, appeared, atom(app_, "_NET_WM_NAME"));
    XFlush(app_);
    EXPECT_TRUE(reportedTimes(appeared, 3)) << "_NET_WM_NAME taken away";
    EXPECT_EQ(reports_.last(appeared), "");
    XStoreName(app_, appeared, "Latin-1 only");
    XFlush(app_);
    EXPECT_TRUE(reportedTimes(appeared, 4)) << "WM_NAME";
    EXPECT_EQ(reports_.last(appeared), "Latin-1 only");
    XClassHint hint{const_cast<char*>("vr-e2"), const_cast<char*>("VrEventsRenamed")};
    XSetClassHint(app_, appeared, &hint);
    XFlush(app_);
    EXPECT_TRUE(reportedTimes(appeared, 5)) << "WM_CLASS";
    EXPECT_EQ(windows_.classOf(appeared), "VrEventsRenamed");

    // What is neither title nor class is no news.
    const long pid = 99;
    XChangeProperty(app_, appeared, atom(app_, "_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XChangeProperty(app_, appeared, atom(app_, "VR_SOMETHING_ELSE"), XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>("x"), 1);
    XFlush(app_);
    EXPECT_TRUE(reportedTimes(appeared, 5));

    retitle(app_, before, "(2) There before");
    EXPECT_TRUE(reportedTimes(before, 1)) << "a window there before is reported once it changes";
    EXPECT_TRUE(asked_.empty()) << "attention was not asked for";
}

TEST_F(X11EventsTest, AFloodOfRenamesIsCheckedOncePerRoundAndTheLastTitleIsSeen) {
    const ::Window w = shown({"vr-f", "VrFlood", "Quiet"});
    adapter_.listen(true, false);
    loop_.run(200ms);
    // Another program renames its window five times a millisecond for a second, then settles. (Faster, and the
    // window manager, which reads every title, falls seconds behind and holds up the cases after this one.)
    std::atomic<int> renames = 0;
    std::atomic<bool> done = false;
    std::thread renamer([&] {
        Display* d = XOpenDisplay(nullptr);
        for (const auto end = Clock::now() + 1s; Clock::now() < end; std::this_thread::sleep_for(1ms)) {
            for (int i = 0; i < 5; ++i, ++renames) retitle(d, w, "Title " + std::to_string(renames));
            XSync(d, False);
        }
        retitle(d, w, "Settled");
        XSync(d, False);
        XCloseDisplay(d);
        done = true;
    });
    const auto start = Clock::now();
    loop_.runUntil([&] { return done.load(); }, 10s);
    renamer.join();
    loop_.runUntil([&] { return reports_.last(w) == "Settled"; }, 3s);
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    ASSERT_GT(renames, 1000) << "the flood was no flood";
    EXPECT_EQ(reports_.last(w), "Settled") << "the title it settled on is checked";
    EXPECT_GE(reports_.of(w), 2u);
    EXPECT_LE(reports_.of(w), std::size_t(spent / EventRounds::kGapMs + 2))
        << renames << " renames in " << spent << " ms; one check per round, a round per gap at most";
}

TEST_F(X11EventsTest, NothingIsSelectedOrReportedWithoutListeningAndEachKindOnlyWhenAsked) {
    Display* own = events_.get();
    const ::Window root = DefaultRootWindow(own);
    const ::Window w = shown({"vr-n", "VrNothing", "Quiet"});
    EXPECT_EQ(selected(own, root), 0);
    adapter_.listen(true, false);
    EXPECT_EQ(selected(own, root), PropertyChangeMask | SubstructureNotifyMask);
    EXPECT_EQ(selected(own, w), PropertyChangeMask);
    adapter_.listen(false, false);
    EXPECT_EQ(selected(own, root), 0) << "with neither, no event mask at all";
    EXPECT_EQ(selected(own, w), 0);

    const ::Window unheard = makeWindow(app_, {"vr-n", "VrNothing", "Unheard"});
    retitle(app_, w, "Renamed unheard");
    XWMHints hints{};
    hints.flags = XUrgencyHint;
    XSetWMHints(app_, w, &hints);
    XFlush(app_);
    loop_.run(600ms);
    EXPECT_TRUE(reports_.seen.empty() && asked_.empty()) << "off reports nothing";

    // Attention alone: renames are no news; changes alone: urgency is none.
    adapter_.listen(false, true);
    retitle(app_, unheard, "Renamed, attention only");
    loop_.run(400ms);
    EXPECT_TRUE(reports_.seen.empty());
    adapter_.listen(true, false);
    hints.flags = 0;
    XSetWMHints(app_, unheard, &hints);
    hints.flags = XUrgencyHint;
    XSetWMHints(app_, unheard, &hints);
    XFlush(app_);
    loop_.run(400ms);
    EXPECT_TRUE(asked_.empty());
    EXPECT_TRUE(reports_.seen.empty()) << "hints are neither title nor class";
    EXPECT_EQ(X11WindowEvents(nullptr).processEvents(), std::nullopt);
}

// The EWMH way a program asks: a request to the window manager, which changes the state.
void demandAttention(Display* d, ::Window w, bool add) {
    XEvent e{};
    e.xclient = {ClientMessage, 0, False, d, w, atom(d, "_NET_WM_STATE"), 32, {}};
    e.xclient.data.l[0] = add ? 1 : 0;
    e.xclient.data.l[1] = long(atom(d, "_NET_WM_STATE_DEMANDS_ATTENTION"));
    e.xclient.data.l[3] = 1;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(d);
}

TEST_F(X11EventsTest, AttentionIsReportedOnceEachTimeAWindowBeginsToAsk) {
    const ::Window before = shown({"vr-a", "VrAttention", "Urgent"});
    ASSERT_EQ(adapter_.attentionUnavailable(), std::nullopt);
    adapter_.listen(false, true);
    const auto pump = [&](std::chrono::milliseconds limit, std::size_t until) {
        loop_.runUntil([&] { return asked_.size() >= until; }, limit);
    };
    const ::Window after = shown({"vr-a", "VrAttention", "Demanding"});  // a client that came since
    // The window manager lets only a window without the focus ask: the focus goes elsewhere.
    const ::Window focused = shown({"vr-a", "VrFocus", "Has the focus"});
    XSetInputFocus(app_, focused, RevertToParent, CurrentTime);
    XFlush(app_);
    pump(300ms, 99);
    demandAttention(app_, after, true);
    pump(3s, 1);
    demandAttention(app_, after, true);  // asks still
    pump(400ms, 2);
    EXPECT_EQ(asked_, std::vector<WindowHandle>{after});
    demandAttention(app_, after, false);
    pump(400ms, 2);
    demandAttention(app_, after, true);
    pump(3s, 2);
    EXPECT_EQ(asked_, (std::vector<WindowHandle>{after, after}));

    XWMHints hints{};
    hints.flags = XUrgencyHint;
    XSetWMHints(app_, before, &hints);
    XFlush(app_);
    pump(3s, 3);
    XSetWMHints(app_, before, &hints);  // urgent still
    XFlush(app_);
    pump(400ms, 4);
    EXPECT_EQ(asked_, (std::vector<WindowHandle>{after, after, before}));

    // Not listening, nothing is heard (and nothing costs): a request while off is not reported later either.
    adapter_.listen(false, false);
    demandAttention(app_, after, false);
    demandAttention(app_, after, true);
    pump(600ms, 4);
    adapter_.listen(false, true);
    pump(400ms, 4);
    EXPECT_EQ(asked_.size(), 3u) << "a window already asking when listening begins began before it";
    // Changes asked for beside it change nothing of that: a window asking when attention is added began before.
    adapter_.listen(true, false);
    demandAttention(app_, after, false);
    pump(400ms, 4);
    demandAttention(app_, after, true);
    pump(400ms, 4);
    adapter_.listen(true, true);
    pump(400ms, 4);
    EXPECT_EQ(asked_.size(), 3u);
    EXPECT_TRUE(reports_.seen.empty()) << "state changes are no title or class changes";
    EXPECT_TRUE(X11WindowEvents(nullptr).attentionUnavailable());
}

// Run by tests/linux/run_x11_tests.sh on a second desktop, one with no window manager at all: the clients are the
// root's children, created and mapped by the programs themselves.
TEST(X11EventsWithoutAWindowManager, AChildOfTheRootIsReportedWhenCreatedMappedAndRenamed) {
    const std::unique_ptr<Display, int (*)(Display*)> app(XOpenDisplay(nullptr), XCloseDisplay),
        own(XOpenDisplay(nullptr), XCloseDisplay), reader(XOpenDisplay(nullptr), XCloseDisplay);
    ASSERT_TRUE(app && own && reader) << "no X display (run tests/linux/run_x11_tests.sh)";
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(reader.get(), DefaultRootWindow(reader.get()), atom(reader.get(), "_NET_SUPPORTING_WM_CHECK"),
                       0, 1, False, AnyPropertyType, &type, &format, &items, &after, &data);
    if (data) XFree(data);
    ASSERT_EQ(items, 0u) << "a window manager runs on this display";

    X11Windows windows(reader.get());
    X11WindowEvents events(own.get());
    Reports reports{windows, {}};
    events.onChange = [&](WindowHandle w) { reports(w); };
    EventLoop loop(events);
    events.listen(true, false);
    const auto times = [&](WindowHandle w, std::size_t n) {
        loop.runUntil([&] { return reports.of(w) >= n; }, 3s);
        loop.run(300ms);
        return reports.of(w);
    };

    Display* d = app.get();
    const ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 60, 40, 0, 0, 0);
    XClassHint hint{const_cast<char*>("vr-bare"), const_cast<char*>("VrBare")};
    XSetClassHint(d, w, &hint);
    XFlush(d);
    EXPECT_EQ(times(w, 1), 1u) << "created";
    EXPECT_TRUE(windows.fits(w, {"VrBare", std::nullopt})) << "its class is there when it is checked";
    XMapWindow(d, w);
    XFlush(d);
    EXPECT_EQ(times(w, 2), 2u) << "mapped";
    retitle(d, w, "Bare (1)");
    EXPECT_EQ(times(w, 3), 3u) << "renamed";
    EXPECT_EQ(reports.last(w), "Bare (1)");
    // Renamed again just after a round: the next waits for the gap, and nothing else happens on this desktop to
    // wake the loop, so only the call the adapter asked for brings it.
    retitle(d, w, "Bare (2)");
    loop.runUntil([&] { return reports.of(w) >= 4; }, 3s);
    retitle(d, w, "Bare (3)");
    EXPECT_EQ(times(w, 5), 5u) << "renamed within the gap";
    EXPECT_EQ(reports.last(w), "Bare (3)");
    events.listen(false, false);
    retitle(d, w, "Bare (4)");
    XUnmapWindow(d, w);
    XMapWindow(d, w);
    XFlush(d);
    loop.run(400ms);
    EXPECT_EQ(reports.of(w), 5u) << "off reports nothing";
}

// The keyboard as the user and the other programs see it, read through a connection of its own.
struct Keyboard {
    Display* d;
    static constexpr const char* names[3] = {"Caps Lock", "Num Lock", "Scroll Lock"};

    unsigned lockedMods() {
        XkbStateRec state{};
        XkbGetState(d, XkbUseCoreKbd, &state);
        return state.locked_mods;
    }
    unsigned numMask() { return XkbKeysymToModifiers(d, XK_Num_Lock); }
    // The user presses a lock key: its modifier's lock changes.
    void lock(unsigned mask, bool on) {
        XkbLockModifiers(d, XkbUseCoreKbd, mask, on ? mask : 0);
        XSync(d, False);
    }
    // Which of the three lamps are lit, as the server's indicator state tells.
    LockStates lamps() {
        unsigned lit = 0;
        XkbGetIndicatorState(d, XkbUseCoreKbd, &lit);
        LockStates seen;
        bool* each[3] = {&seen.caps, &seen.num, &seen.scroll};
        for (int i = 0; i < 3; ++i) {
            int index = -1;
            XkbGetNamedIndicator(d, atom(d, names[i]), &index, nullptr, nullptr, nullptr);
            *each[i] = index >= 0 && (lit >> index & 1u) != 0;
        }
        return seen;
    }
    std::vector<XkbIndicatorMapRec> maps() {
        std::vector<XkbIndicatorMapRec> all(3);
        for (int i = 0; i < 3; ++i)
            XkbGetNamedIndicator(d, atom(d, names[i]), nullptr, nullptr, &all[i], nullptr);
        return all;
    }
};

bool sameMaps(const std::vector<XkbIndicatorMapRec>& a, const std::vector<XkbIndicatorMapRec>& b) {
    const auto same = [](const XkbIndicatorMapRec& x, const XkbIndicatorMapRec& y) {
        return x.flags == y.flags && x.which_groups == y.which_groups && x.groups == y.groups &&
               x.which_mods == y.which_mods && x.mods.mask == y.mods.mask && x.mods.real_mods == y.mods.real_mods &&
               x.mods.vmods == y.mods.vmods && x.ctrls == y.ctrls;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same);
}

bool same(const LockStates& a, const LockStates& b) {
    return a.caps == b.caps && a.num == b.num && a.scroll == b.scroll;
}

std::string text(const LockStates& s) {
    return std::string("{caps ") + (s.caps ? "on" : "off") + ", num " + (s.num ? "on" : "off") + ", scroll " +
           (s.scroll ? "on" : "off") + "}";
}

class XkbLampsTest : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        ASSERT_EQ(user_.lockedMods(), 0u) << "a lock was left on";
        original_ = user_.maps();
        ASSERT_NE(original_[0].flags & XkbIM_NoExplicit, 0) << "Caps Lock's map takes explicit changes already";
    }
    void TearDown() override {
        if (ours_) {
            user_.lock(LockMask | user_.numMask(), false);
            XkbLockLights(app_).set(LockKey::Scroll, false);
            EXPECT_TRUE(sameMaps(user_.maps(), original_)) << "the lamp maps were left changed";
        }
        X11Test::TearDown();
    }
    // The lamps as another connection sees them, once they are so.
    ::testing::AssertionResult lampsBecome(LockStates wanted) {
        if (eventually([&] { return same(user_.lamps(), wanted); }, 2s)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "lamps " << text(user_.lamps()) << ", wanted " << text(wanted);
    }

    test::ScratchFolder scratch_;
    std::string mapsFile_ = scratch_ / "lamp-maps";
    Keyboard user_{app_};
    std::vector<XkbIndicatorMapRec> original_;
};

TEST_F(XkbLampsTest, AnAlertLightsTheLampsAndTheLocksStayExactlyAsTheUserLeftThem) {
    for (const bool capsBefore : {false, true}) {
        SCOPED_TRACE(capsBefore ? "Caps Lock on before" : "Caps Lock off before");
        user_.lock(LockMask, capsBefore);
        user_.lock(user_.numMask(), true);
        const unsigned locked = user_.lockedMods();
        {
            XkbLamps lamps(ours_, mapsFile_);
            ASSERT_EQ(lamps.route(), LampRoute::xkbIndicators) << lamps.why();
            EXPECT_FALSE(std::filesystem::exists(mapsFile_));  // nothing replaced yet
            for (const LockStates pattern : {LockStates{true, false, false}, LockStates{false, true, true},
                                             LockStates{true, true, true}, LockStates{false, false, false},
                                             LockStates{!capsBefore, false, true}}) {
                lamps.show(pattern);
                EXPECT_TRUE(lampsBecome(pattern));
                EXPECT_EQ(user_.lockedMods(), locked);
                EXPECT_TRUE(std::filesystem::exists(mapsFile_));
            }
            lamps.release();
            EXPECT_EQ(user_.lockedMods(), locked);
            EXPECT_TRUE(sameMaps(user_.maps(), original_));
            EXPECT_TRUE(lampsBecome({capsBefore, true, false}));
            EXPECT_FALSE(std::filesystem::exists(mapsFile_));
            // The lamps follow the locks again.
            user_.lock(LockMask, !capsBefore);
            EXPECT_TRUE(lampsBecome({!capsBefore, true, false}));
        }
        user_.lock(LockMask | user_.numMask(), false);
    }
}

TEST_F(XkbLampsTest, ALockPressedDuringTheAlertShowsOnlyOnceItEnds) {
    XkbLamps lamps(ours_, mapsFile_);
    lamps.show({false, false, true});
    ASSERT_TRUE(lampsBecome({false, false, true}));
    user_.lock(LockMask, true);  // the user presses Caps Lock meanwhile
    lamps.show({false, false, true});
    EXPECT_TRUE(lampsBecome({false, false, true}));
    EXPECT_EQ(user_.lockedMods(), unsigned(LockMask));
    lamps.release();
    EXPECT_TRUE(lampsBecome({true, false, false}));
}

TEST_F(XkbLampsTest, EachShowRepaintsWhatSomethingElseChanged) {
    XkbLamps lamps(ours_, mapsFile_);
    lamps.show({true, true, true});
    ASSERT_TRUE(lampsBecome({true, true, true}));
    // Another program puts Scroll Lock out, and Caps Lock's usual map back (as a keymap loaded anew would).
    XkbSetNamedIndicator(app_, atom(app_, "Scroll Lock"), True, False, False, nullptr);
    XkbSetNamedIndicator(app_, atom(app_, "Caps Lock"), True, False, False, nullptr);
    XkbSetNamedIndicator(app_, atom(app_, "Caps Lock"), False, False, False, &original_[0]);
    XSync(app_, False);
    ASSERT_TRUE(lampsBecome({false, true, false}));
    lamps.show({true, true, true});
    EXPECT_TRUE(lampsBecome({true, true, true}));
    lamps.release();
    EXPECT_TRUE(lampsBecome({false, false, false}));
}

TEST_F(XkbLampsTest, AScrollLockHeldByItsLampIsLitAgainAfterTheAlert) {
    XkbLockLights locks(app_);
    locks.set(LockKey::Scroll, true);  // Scroll Lock drives no modifier: its lamp is its state
    ASSERT_TRUE(lampsBecome({false, false, true}));
    {
        XkbLamps lamps(ours_, mapsFile_);
        lamps.show({true, false, false});
        EXPECT_TRUE(lampsBecome({true, false, false}));
        lamps.show({false, false, false});
        EXPECT_TRUE(lampsBecome({false, false, false}));
    }  // an alert still shown is released with its object
    EXPECT_TRUE(lampsBecome({false, false, true}));
    EXPECT_TRUE(locks.on(LockKey::Scroll));
    EXPECT_TRUE(sameMaps(user_.maps(), original_));
}

TEST_F(XkbLampsTest, AProgramKilledMidAlertHasTheMapsRepairedAtItsNextStart) {
    user_.lock(LockMask, true);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // the program whose alert is under way: a display of its own, never closed
        close(ready[0]);
        Display* display = XOpenDisplay(nullptr);
        auto* lamps = new XkbLamps(display, mapsFile_);
        lamps->show({false, true, true});
        XSync(display, False);
        const char done = 1;
        if (write(ready[1], &done, 1) != 1) _exit(1);
        for (;;) pause();
    }
    close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    const bool shown = poll(&wait, 1, 5000) == 1;
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    ASSERT_TRUE(shown) << "the alert never began";

    EXPECT_TRUE(lampsBecome({false, true, true}));  // the killed alert's lamps stay lit
    EXPECT_FALSE(sameMaps(user_.maps(), original_));
    EXPECT_EQ(user_.maps()[0].flags & XkbIM_NoExplicit, 0);
    ASSERT_TRUE(std::filesystem::exists(mapsFile_));

    XkbLamps next(ours_, mapsFile_);
    EXPECT_EQ(next.route(), LampRoute::xkbIndicators);
    EXPECT_TRUE(sameMaps(user_.maps(), original_));
    EXPECT_TRUE(lampsBecome({true, false, false}));  // following the locks again
    EXPECT_EQ(user_.lockedMods(), unsigned(LockMask));
    EXPECT_FALSE(std::filesystem::exists(mapsFile_));
}

TEST_F(XkbLampsTest, AFileThatHoldsNoMapsIsDroppedAndChangesNothing) {
    test::putFile(mapsFile_, "not the lamps\n");
    XkbLamps lamps(ours_, mapsFile_);
    EXPECT_EQ(lamps.route(), LampRoute::xkbIndicators);
    EXPECT_FALSE(std::filesystem::exists(mapsFile_));
    EXPECT_TRUE(sameMaps(user_.maps(), original_));
}

TEST(XkbLampsWithoutADisplay, HaveNoRouteAndSayWhy) {
    XkbLamps lamps(nullptr, "");
    EXPECT_EQ(lamps.route(), LampRoute::none);
    EXPECT_FALSE(lamps.why().empty());
    lamps.show({true, true, true});
    lamps.release();
}

}  // namespace
}  // namespace vr::lx
