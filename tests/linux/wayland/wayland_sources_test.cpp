// The Wayland window sources against real headless desktops (tests/linux/run_wayland_tests.sh starts each one
// and picks the cases for it by name): sway with XWayland, KWin, weston, and GNOME Shell with the program's
// extension. The windows are those of a tiny client of the test's own (toplevel_client), run as other programs'.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "linux/adapters/x11_windows.h"
#include "linux/wayland/composite_windows.h"
#include "linux/wayland/gnome_source.h"
#include "linux/wayland/session_sources.h"
#include "linux/wayland/window_source.h"

#include <systemd/sd-bus.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vr::wl {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Runs the source's socket as the program's event loop would, until the condition holds or the limit passes.
bool pumpUntil(WindowSource& source, const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    for (const auto end = Clock::now() + limit; Clock::now() < end;) {
        if (done()) return true;
        pollfd watched{source.fd(), POLLIN, 0};
        if (watched.fd < 0) return done();
        if (::poll(&watched, 1, 20) > 0) source.dispatch();
    }
    return done();
}

template <class Done>
bool eventually(Done done, std::chrono::milliseconds limit = 5s) {
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(10ms))
        if (done()) return true;
    return done();
}

// Another program, talked to through its standard input and output: by default one with one window.
class Client {
public:
    Client(const std::string& appId, const std::string& title) : Client({TOPLEVEL_CLIENT, appId, title}) {}
    explicit Client(const std::vector<std::string>& command) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        std::vector<char*> argv;
        for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
        ::fcntl(output_, F_SETFL, O_NONBLOCK);
    }
    ~Client() {
        if (pid_ > 0 && !ended()) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (input_ >= 0) ::close(input_);
        if (output_ >= 0) ::close(output_);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    pid_t pid() const { return pid_; }
    void say(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(input_, text.data(), text.size()), ssize_t(text.size()));
    }
    // Whether the client has printed the line, waiting for it at most the limit.
    bool said(const std::string& line, std::chrono::milliseconds limit = 5s) {
        return eventually([&] {
            char buffer[256];
            ssize_t got;
            while ((got = ::read(output_, buffer, sizeof buffer)) > 0) heard_.append(buffer, got);
            return heard_.find(line + "\n") != std::string::npos;
        }, limit);
    }
    bool ended() {
        if (status_) return true;
        int status = 0;
        if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
        return status_.has_value();
    }

private:
    pid_t pid_ = -1;
    int input_ = -1, output_ = -1;
    std::string heard_;
    std::optional<int> status_;
};

// The source's toplevel with that title, once the source has heard of it.
WindowHandle waitForTitle(WindowSource& source, const std::string& title) {
    WindowHandle found = 0;
    pumpUntil(source, [&] {
        for (const auto& window : source.topLevelWindows())
            if (window.title == title) found = window.handle;
        return found != 0;
    });
    return found;
}

bool listed(Windows& windows, WindowHandle window) {
    const auto all = windows.topLevelWindows();
    return std::any_of(all.begin(), all.end(), [&](const TopLevelWindow& w) { return w.handle == window; });
}

// Each case is meant for one desktop; on another it fails, so that a wrong filter is seen.
class OnDesktop : public ::testing::Test {
protected:
    void expectDesktop(const char* desktop) {
        ASSERT_EQ(env("VIGILAMP_TEST_DESKTOP"), desktop) << "run tests/linux/run_wayland_tests.sh";
    }
};

// ---- sway: the wlroots toplevel manager ---------------------------------------------------------------------

class Sway : public OnDesktop {
protected:
    void SetUp() override {
        expectDesktop("sway");
        chosen_ = openWindowSource();
        ASSERT_TRUE(chosen_.source) << chosen_.status.detail;
    }
    WindowSource& source() { return *chosen_.source; }
    ChosenSource chosen_;
};

TEST_F(Sway, TheWlrootsListIsChosenAndSaysItClosesButNotYetWhetherItMinimises) {
    EXPECT_EQ(chosen_.status.kind, SourceKind::wlroots);
    EXPECT_EQ(chosen_.status.close, Ability::yes);
    EXPECT_EQ(chosen_.status.minimise, Ability::unknown);
    EXPECT_EQ(chosen_.status.attention, Ability::no);
    EXPECT_TRUE(source().attentionUnavailable());
    EXPECT_GE(source().fd(), 0);
}

TEST_F(Sway, AWindowIsFoundByItsAppIdAndByATitleRuleAndListedWithItsAppId) {
    Client alpha("vr.test.alpha", "Alpha window"), beta("vr.test.beta", "Beta window");
    ASSERT_TRUE(alpha.said("shown") && beta.said("shown"));
    const WindowHandle a = waitForTitle(source(), "Alpha window");
    const WindowHandle b = waitForTitle(source(), "Beta window");
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(isWaylandHandle(a));
    EXPECT_EQ(source().find({"VR.TEST.ALPHA", std::nullopt}), a);  // letter case ignored, as for classes
    EXPECT_EQ(source().find({"", "beta w?ndow"}), b);
    EXPECT_EQ(source().find({"vr.test.alpha", "Beta*"}), 0u);
    EXPECT_EQ(source().classOf(b), "vr.test.beta");
    ASSERT_TRUE(source().ownerOf(a));
    EXPECT_EQ(source().ownerOf(a)->process, 0u);  // wlroots does not tell the process
}

TEST_F(Sway, ANewWindowAndARetitleReachTheSourceAsEventsOnlyWhileItListens) {
    std::vector<WindowHandle> events;
    source().onWindow = [&](WindowHandle window) { events.push_back(window); };
    source().listen(true, false);
    Client mail("vr.test.mail", "Inbox");
    const WindowHandle window = waitForTitle(source(), "Inbox");
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(pumpUntil(source(), [&] { return std::count(events.begin(), events.end(), window) >= 1; }));
    const auto seen = events.size();

    mail.say("title (1) Inbox");
    EXPECT_TRUE(pumpUntil(source(), [&] { return events.size() > seen && events.back() == window; }));
    EXPECT_TRUE(source().fits(window, {"vr.test.mail", "(*) Inbox"}));
    EXPECT_EQ(source().find({"", "(?) inbox"}), window);

    source().listen(false, false);
    const auto before = events.size();
    mail.say("title (2) Inbox");
    ASSERT_TRUE(pumpUntil(source(), [&] { return source().titleOf(window) == "(2) Inbox"; }));
    EXPECT_EQ(events.size(), before);  // heard, and not told
}

TEST_F(Sway, CloseReachesTheClientAndItsWindowLeavesTheList) {
    Client doomed("vr.test.doomed", "Doomed window");
    const WindowHandle window = waitForTitle(source(), "Doomed window");
    ASSERT_NE(window, 0u);
    source().close(window);
    EXPECT_TRUE(doomed.said("close"));
    EXPECT_TRUE(pumpUntil(source(), [&] { return !listed(source(), window); }));
    EXPECT_EQ(source().classOf(window), std::nullopt);
}

TEST_F(Sway, AMinimiseSwayIgnoresMakesTheSourceSayItCannotMinimise) {
    Client client("vr.test.min", "Minimise me");
    const WindowHandle window = waitForTitle(source(), "Minimise me");
    ASSERT_NE(window, 0u);
    source().minimise(window);
    EXPECT_TRUE(pumpUntil(source(), [&] { return source().status().minimise != Ability::unknown; }));
    EXPECT_EQ(source().status().minimise, Ability::no);
    EXPECT_FALSE(source().toplevel(window)->minimised);
    EXPECT_NE(source().status().line().find("minimise no"), std::string::npos);
}

// An X11 window of another program, through sway's XWayland.
struct X11Window {
    X11Window(Display* display, const char* instance, const char* className, const std::string& title, long pid = 0)
        : display(display) {
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 80, 60, 0, 0, 0);
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(className)};
        XSetClassHint(display, window, &hint);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
        if (pid)
            XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window, &deleteWindow, 1);
        XMapWindow(display, window);
        XFlush(display);
    }
    void setUrgent() {
        XWMHints hints{};
        hints.flags = XUrgencyHint;
        XSetWMHints(display, window, &hints);
        XFlush(display);
    }
    // Whether the window has been asked to close (WM_DELETE_WINDOW), waiting at most the limit.
    bool askedToClose() {
        return eventually([&] {
            XEvent event;
            while (XCheckTypedWindowEvent(display, window, ClientMessage, &event))
                if (static_cast<Atom>(event.xclient.data.l[0]) == XInternAtom(display, "WM_DELETE_WINDOW", False))
                    return true;
            return false;
        });
    }
    Display* display;
    ::Window window;
};

class SwayXwayland : public Sway {
protected:
    void SetUp() override {
        Sway::SetUp();
        ASSERT_FALSE(env("DISPLAY").empty()) << "sway was started without XWayland";
        ours_ = XOpenDisplay(nullptr);
        theirs_ = XOpenDisplay(nullptr);
        ASSERT_TRUE(ours_ && theirs_);
    }
    void TearDown() override {
        if (theirs_) XCloseDisplay(theirs_);
        if (ours_) XCloseDisplay(ours_);
    }
    Display* ours_ = nullptr;    // the program's, for its X11 source
    Display* theirs_ = nullptr;  // another program's
};

TEST_F(SwayXwayland, AnX11WindowIsListedOnceByTheCompositeUnderItsX11Handle) {
    lx::X11Windows x11(ours_);
    CompositeWindows windows(x11, &source(), OwnProgram{static_cast<std::uint32_t>(::getpid()), "vigilamp"});
    X11Window xwindow(theirs_, "vr-x", "VrXClass", "X11 window");
    Client native("vr.test.native", "Native window");
    // The compositor lists the X11 window too: that is what the composite must not show twice.
    ASSERT_NE(waitForTitle(source(), "X11 window"), 0u);
    ASSERT_NE(waitForTitle(source(), "Native window"), 0u);
    ASSERT_TRUE(eventually([&] { return listed(x11, xwindow.window); }));

    const auto all = windows.topLevelWindows();
    const auto titled = [&](const std::string& title) {
        return std::count_if(all.begin(), all.end(), [&](const TopLevelWindow& w) { return w.title == title; });
    };
    EXPECT_EQ(titled("X11 window"), 1);
    EXPECT_EQ(titled("Native window"), 1);
    EXPECT_TRUE(listed(windows, xwindow.window));
    EXPECT_EQ(windows.find({"vrxclass", std::nullopt}), xwindow.window);  // the X11 source's first

    // Calls go to the source that owns the window.
    const WindowHandle nativeWindow = windows.find({"vr.test.native", std::nullopt});
    EXPECT_TRUE(isWaylandHandle(nativeWindow));
    windows.close(xwindow.window);
    EXPECT_TRUE(xwindow.askedToClose());
    windows.close(nativeWindow);
    EXPECT_TRUE(native.said("close"));
}

TEST_F(SwayXwayland, TheProgramsOwnWindowsAreLeftOutByProcessOrByAppId) {
    lx::X11Windows x11(ours_);
    CompositeWindows windows(x11, &source(), OwnProgram{static_cast<std::uint32_t>(::getpid()), "vigilamp"});
    X11Window own(theirs_, "vigilamp", "vigilamp", "Own X11 window", ::getpid());
    Client ownWayland("vigilamp", "Own Wayland window");  // wlroots tells no process: the app id decides
    X11Window other(theirs_, "vigilamp", "vigilamp", "Another copy's window", ::getpid() + 100000);
    ASSERT_NE(waitForTitle(source(), "Own Wayland window"), 0u);
    ASSERT_NE(waitForTitle(source(), "Own X11 window"), 0u);
    ASSERT_TRUE(eventually([&] { return listed(x11, own.window) && listed(x11, other.window); }));

    for (const auto& window : windows.topLevelWindows()) {
        EXPECT_NE(window.title, "Own X11 window");
        EXPECT_NE(window.title, "Own Wayland window");
    }
    EXPECT_TRUE(listed(windows, other.window));
    EXPECT_EQ(x11.find({"", "Own X11 window"}), own.window);
    EXPECT_EQ(windows.find({"", "Own*"}), 0u);
    EXPECT_EQ(windows.find({"vigilamp", std::nullopt}), other.window);
}

// ---- KWin: Plasma's window management ------------------------------------------------------------------------

std::filesystem::path entryPath() {
    return std::filesystem::path(env("XDG_DATA_HOME")) / "applications" / "vigilamp-wayland-test.desktop";
}

class KwinWithoutEntry : public OnDesktop {};

TEST_F(KwinWithoutEntry, NoSourceIsOfferedAndTheReasonSaysADesktopEntryIsNeeded) {
    expectDesktop("kwin");
    ASSERT_FALSE(std::filesystem::exists(entryPath()));
    const ChosenSource chosen = openWindowSource();
    EXPECT_EQ(chosen.source, nullptr);
    EXPECT_EQ(chosen.status.kind, SourceKind::none);
    EXPECT_EQ(chosen.status.why, NoSource::kwinNeedsEntry);
    EXPECT_NE(chosen.status.detail.find("desktop entry"), std::string::npos);
}

class Kwin : public OnDesktop {
protected:
    // KWin asks its service cache for the entry whose Exec= is the connecting program: written, then cached.
    static void SetUpTestSuite() {
        const auto self = std::filesystem::canonical("/proc/self/exe");
        std::ofstream(entryPath()) << "[Desktop Entry]\nType=Application\nName=Vigilamp window test\nExec="
                                   << self.string()
                                   << "\nNoDisplay=true\nX-KDE-Wayland-Interfaces=org_kde_plasma_window_management\n";
        ASSERT_EQ(std::system("kbuildsycoca5 >/dev/null 2>&1"), 0);
        // KWin looks at its cache again only a second and a half after its last look.
        ASSERT_TRUE(eventually([] { return openWindowSource().source != nullptr; }, 10s))
            << "KWin did not take up the desktop entry " << entryPath();
    }
    void SetUp() override {
        expectDesktop("kwin");
        chosen_ = openWindowSource();
        ASSERT_TRUE(chosen_.source) << chosen_.status.detail;
    }
    WindowSource& source() { return *chosen_.source; }
    ChosenSource chosen_;
};

TEST_F(Kwin, WithTheDesktopEntryTheWindowManagementIsUsedAndDoesEverything) {
    EXPECT_EQ(chosen_.status.kind, SourceKind::plasma);
    EXPECT_EQ(chosen_.status.minimise, Ability::yes);
    EXPECT_EQ(chosen_.status.close, Ability::yes);
    EXPECT_EQ(chosen_.status.attention, Ability::yes);
    EXPECT_FALSE(source().attentionUnavailable());
}

TEST_F(Kwin, AWindowIsFoundWithItsProcessAndARetitleIsAnEvent) {
    std::vector<WindowHandle> events;
    source().onWindow = [&](WindowHandle window) { events.push_back(window); };
    source().listen(true, false);
    Client client("vr.test.kde", "KDE window");
    const WindowHandle window = waitForTitle(source(), "KDE window");
    ASSERT_NE(window, 0u);
    EXPECT_EQ(source().find({"VR.test.kde", std::nullopt}), window);
    EXPECT_EQ(source().classOf(window), "vr.test.kde");
    ASSERT_TRUE(source().ownerOf(window));
    EXPECT_EQ(source().ownerOf(window)->process, std::uint32_t(client.pid()));
    client.say("title (4) KDE window");
    EXPECT_TRUE(pumpUntil(source(), [&] { return source().titleOf(window) == "(4) KDE window"; }));
    EXPECT_TRUE(pumpUntil(source(), [&] { return !events.empty() && events.back() == window; }));
    EXPECT_TRUE(source().fits(window, {"", "(*) KDE*"}));
}

TEST_F(Kwin, AWindowThatDemandsAttentionRaisesTheAttentionEventOnce) {
    std::vector<WindowHandle> asking;
    source().onAttention = [&](WindowHandle window) { asking.push_back(window); };
    source().listen(false, true);
    Client client("vr.test.urgent", "Urgent window");
    const WindowHandle window = waitForTitle(source(), "Urgent window");
    ASSERT_NE(window, 0u);
    // The active window cannot ask for attention: another one takes the focus first.
    Client focused("vr.test.focused", "Focused window");
    const WindowHandle other = waitForTitle(source(), "Focused window");
    ASSERT_NE(other, 0u);
    ASSERT_TRUE(pumpUntil(source(), [&] { return source().toplevel(other)->active; }));
    ASSERT_FALSE(source().toplevel(window)->active);
    EXPECT_TRUE(asking.empty());
    client.say("attention");  // an activation without a token KWin gave: KWin marks the window instead
    EXPECT_TRUE(pumpUntil(source(), [&] { return !asking.empty(); }));
    EXPECT_EQ(asking, (std::vector<WindowHandle>{window}));
    EXPECT_TRUE(source().toplevel(window)->attention);
}

TEST_F(Kwin, MinimiseAndCloseReachTheWindow) {
    Client client("vr.test.actions", "Action window");
    const WindowHandle window = waitForTitle(source(), "Action window");
    ASSERT_NE(window, 0u);
    ASSERT_FALSE(source().toplevel(window)->minimised);
    source().minimise(window);
    EXPECT_TRUE(pumpUntil(source(), [&] { return source().toplevel(window)->minimised; }));
    source().close(window);
    EXPECT_TRUE(client.said("close"));
    EXPECT_TRUE(pumpUntil(source(), [&] { return !listed(source(), window); }));
}

// ---- weston: no window list at all ---------------------------------------------------------------------------

TEST_F(OnDesktop, WestonOffersNoSourceAndTheReasonSaysSo) {
    expectDesktop("weston");
    const ChosenSource chosen = openWindowSource();
    EXPECT_EQ(chosen.source, nullptr);
    EXPECT_EQ(chosen.status.why, NoSource::noProtocol);
    EXPECT_NE(chosen.status.line().find("only X11 programs' windows"), std::string::npos);
}

// ---- window lists no compositor here offers (a stand-in compositor) -----------------------------------------

class StandIn : public OnDesktop {
protected:
    // Starts the stand-in offering that list, in a runtime folder of the test's own, which the process's
    // environment names from then on.
    void start(const char* list) {
        expectDesktop("stand-in");
        char folder[] = "/tmp/vigilamp-stand-in.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        runtime_ = folder;
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        ::setenv("WAYLAND_DISPLAY", "wayland-stand-in", 1);
        compositor_ = std::make_unique<Client>(std::vector<std::string>{STAND_IN_COMPOSITOR, "wayland-stand-in", list});
        ASSERT_TRUE(compositor_->said("ready"));
    }
    void TearDown() override {
        compositor_.reset();
        if (!runtime_.empty()) std::filesystem::remove_all(runtime_);
    }
    std::unique_ptr<Client> compositor_;
    std::string runtime_;
};

class StandInList : public StandIn {
protected:
    void SetUp() override { start("list"); }
};
class StandInWlr : public StandIn {
protected:
    void SetUp() override { start("wlr"); }
};

TEST_F(StandInList, WhereItIsAllThatIsOfferedItIsUsedAndSaysItCanNeitherMinimiseNorClose) {
    compositor_->say("add 1 vr.test.list First window");
    ChosenSource chosen = openWindowSource();
    ASSERT_TRUE(chosen.source) << chosen.status.detail;
    EXPECT_EQ(chosen.status.kind, SourceKind::toplevelList);
    EXPECT_EQ(chosen.status.minimise, Ability::no);
    EXPECT_EQ(chosen.status.close, Ability::no);
    EXPECT_EQ(chosen.status.attention, Ability::no);
    EXPECT_NE(chosen.status.line().find("lets no program minimise or close them"), std::string::npos);
}

TEST_F(StandInList, ToplevelsAreFoundRetitledAndGoneAsTheCompositorTells) {
    compositor_->say("add 1 vr.test.list First window");
    ChosenSource chosen = openWindowSource();
    ASSERT_TRUE(chosen.source) << chosen.status.detail;
    WindowSource& source = *chosen.source;
    const WindowHandle first = waitForTitle(source, "First window");
    ASSERT_NE(first, 0u);  // known from the start
    std::vector<WindowHandle> events;
    source.onWindow = [&](WindowHandle window) { events.push_back(window); };
    source.listen(true, true);

    compositor_->say("add 2 vr.test.other Second window");
    const WindowHandle second = waitForTitle(source, "Second window");
    ASSERT_NE(second, 0u);
    EXPECT_EQ(source.find({"VR.TEST.OTHER", std::nullopt}), second);
    compositor_->say("title 1 (7) First window");
    EXPECT_TRUE(pumpUntil(source, [&] { return source.titleOf(first) == "(7) First window"; }));
    EXPECT_EQ(events, (std::vector<WindowHandle>{second, first}));
    EXPECT_EQ(source.find({"vr.test.list", "(*) First*"}), first);

    source.close(first);  // nothing to ask with: the window stays
    source.minimise(first);
    compositor_->say("close 2");
    EXPECT_TRUE(pumpUntil(source, [&] { return !listed(source, second); }));
    EXPECT_TRUE(listed(source, first));
}

TEST_F(StandInWlr, ACompositorThatMinimisesIsKnownAsOneOnceAMinimiseIsAnswered) {
    compositor_->say("add 3 vr.test.wlr Minimisable window");
    ChosenSource chosen = openWindowSource();
    ASSERT_TRUE(chosen.source) << chosen.status.detail;
    WindowSource& source = *chosen.source;
    EXPECT_EQ(chosen.status.kind, SourceKind::wlroots);
    EXPECT_EQ(chosen.status.minimise, Ability::unknown);
    const WindowHandle window = waitForTitle(source, "Minimisable window");
    ASSERT_NE(window, 0u);
    source.minimise(window);
    EXPECT_TRUE(compositor_->said("minimise 3"));
    EXPECT_TRUE(pumpUntil(source, [&] { return source.toplevel(window)->minimised; }));
    EXPECT_TRUE(pumpUntil(source, [&] { return source.status().minimise == Ability::yes; }));
    source.close(window);
    EXPECT_TRUE(compositor_->said("close 3"));
}

// ---- GNOME Shell and the program's extension -----------------------------------------------------------------

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

TEST_F(OnDesktop, GnomeWithoutTheExtensionOffersNoSourceAndSaysToInstallIt) {
    expectDesktop("gnome-bare");
    const ChosenSource chosen = openWindowSource();
    EXPECT_EQ(chosen.source, nullptr);
    EXPECT_EQ(chosen.status.why, NoSource::gnomeExtensionMissing);
    EXPECT_NE(chosen.status.detail.find("not installed"), std::string::npos);
}

class Gnome : public OnDesktop {
protected:
    void SetUp() override { expectDesktop("gnome"); }
    static bool serviceRuns() {
        return run(std::string("dbus-send --session --print-reply --dest=") + kGnomeBusName + " " + kGnomePath +
                   " " + kGnomeInterface + ".List");
    }
    static bool setExtension(bool on) {
        return run(std::string("gnome-extensions ") + (on ? "enable " : "disable ") + kGnomeExtensionUuid) &&
               eventually([&] { return serviceRuns() == on; });
    }
    // The shell's own view of its windows, to see a minimise: its introspection, which answers the desktop
    // portal, whose name the test takes on this private bus.
    static std::optional<bool> shellSaysHidden(const std::string& title) {
        static sd_bus* portal = [] {
            sd_bus* bus = nullptr;
            if (sd_bus_open_user(&bus) < 0) return static_cast<sd_bus*>(nullptr);
            sd_bus_request_name(bus, "org.freedesktop.impl.portal.desktop.gnome", 0);
            return bus;
        }();
        sd_bus_message* reply = nullptr;
        if (!portal || sd_bus_call_method(portal, "org.gnome.Shell", "/org/gnome/Shell/Introspect",
                                          "org.gnome.Shell.Introspect", "GetWindows", nullptr, &reply, "") < 0)
            return std::nullopt;
        std::optional<bool> hidden;
        sd_bus_message_enter_container(reply, 'a', "{ta{sv}}");
        while (sd_bus_message_enter_container(reply, 'e', "ta{sv}") > 0) {
            std::uint64_t id;
            sd_bus_message_read(reply, "t", &id);
            std::string windowTitle;
            int isHidden = 0;
            sd_bus_message_enter_container(reply, 'a', "{sv}");
            while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
                const char* key = nullptr;
                sd_bus_message_read(reply, "s", &key);
                const std::string name = key ? key : "";
                if (name == "title" && sd_bus_message_enter_container(reply, 'v', "s") > 0) {
                    const char* text = nullptr;
                    sd_bus_message_read(reply, "s", &text);
                    windowTitle = text ? text : "";
                    sd_bus_message_exit_container(reply);
                } else if (name == "is-hidden" && sd_bus_message_enter_container(reply, 'v', "b") > 0) {
                    sd_bus_message_read(reply, "b", &isHidden);
                    sd_bus_message_exit_container(reply);
                } else {
                    sd_bus_message_skip(reply, "v");
                }
                sd_bus_message_exit_container(reply);
            }
            sd_bus_message_exit_container(reply);
            sd_bus_message_exit_container(reply);
            if (windowTitle == title) hidden = isHidden != 0;
        }
        sd_bus_message_unref(reply);
        return hidden;
    }
};

TEST_F(Gnome, InstalledButOffNoSourceIsUsedAndTheReasonSaysHowToTurnItOn) {
    ASSERT_TRUE(setExtension(false));
    const ChosenSource chosen = openWindowSource();
    EXPECT_EQ(chosen.source, nullptr);
    EXPECT_EQ(chosen.status.why, NoSource::gnomeExtensionOff);
    EXPECT_NE(chosen.status.detail.find(std::string("gnome-extensions enable ") + kGnomeExtensionUuid),
              std::string::npos);
}

TEST_F(Gnome, WithTheExtensionOnAWindowIsFoundWithItsClassProcessAndTitle) {
    ASSERT_TRUE(setExtension(true));
    Client client("vr.test.gnome", "GNOME window");
    ASSERT_TRUE(client.said("shown"));
    ChosenSource chosen = openWindowSource();
    ASSERT_TRUE(chosen.source) << chosen.status.detail;
    WindowSource& source = *chosen.source;
    EXPECT_EQ(chosen.status.kind, SourceKind::gnomeShell);
    EXPECT_EQ(chosen.status.attention, Ability::yes);
    const WindowHandle window = waitForTitle(source, "GNOME window");
    ASSERT_NE(window, 0u);
    EXPECT_EQ(source.find({"VR.TEST.GNOME", std::nullopt}), window);
    EXPECT_EQ(source.classOf(window), "vr.test.gnome");
    ASSERT_TRUE(source.ownerOf(window));
    EXPECT_EQ(source.ownerOf(window)->process, std::uint32_t(client.pid()));
}

TEST_F(Gnome, NewWindowsRetitlesAndAttentionAreEvents) {
    ASSERT_TRUE(setExtension(true));
    ChosenSource chosen = openWindowSource();
    ASSERT_TRUE(chosen.source) << chosen.status.detail;
    WindowSource& source = *chosen.source;
    std::vector<WindowHandle> events, asking;
    source.onWindow = [&](WindowHandle window) { events.push_back(window); };
    source.onAttention = [&](WindowHandle window) { asking.push_back(window); };
    source.listen(true, true);
    Client client("vr.test.events", "Events window");
    const WindowHandle window = waitForTitle(source, "Events window");
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(pumpUntil(source, [&] { return std::count(events.begin(), events.end(), window) >= 1; }));
    client.say("title (5) Events window");
    EXPECT_TRUE(pumpUntil(source, [&] { return source.titleOf(window) == "(5) Events window"; }));
    EXPECT_TRUE(pumpUntil(source, [&] { return events.back() == window && events.size() >= 2; }));
    EXPECT_TRUE(source.fits(window, {"vr.test.events", "(*) Events*"}));

    // An X11 program's urgency hint, through the shell's XWayland, is attention too.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "the shell's XWayland";
    X11Window urgent(display, "vr-urgent", "VrUrgent", "Urgent X11 window");
    const WindowHandle x11 = waitForTitle(source, "Urgent X11 window");
    ASSERT_NE(x11, 0u);
    EXPECT_EQ(source.classOf(x11), "VrUrgent");
    EXPECT_TRUE(asking.empty());
    urgent.setUrgent();
    EXPECT_TRUE(pumpUntil(source, [&] { return !asking.empty(); }));
    EXPECT_EQ(asking, (std::vector<WindowHandle>{x11}));
    EXPECT_TRUE(source.toplevel(x11)->attention);
    XCloseDisplay(display);
}

TEST_F(Gnome, MinimiseAndCloseReachTheWindow) {
    ASSERT_TRUE(setExtension(true));
    ChosenSource chosen = openWindowSource();
    ASSERT_TRUE(chosen.source) << chosen.status.detail;
    WindowSource& source = *chosen.source;
    Client client("vr.test.actions", "GNOME action window");
    const WindowHandle window = waitForTitle(source, "GNOME action window");
    ASSERT_NE(window, 0u);
    // The shell shows a new window once it has drawn it.
    ASSERT_TRUE(eventually([] { return shellSaysHidden("GNOME action window") == false; }));
    source.minimise(window);
    EXPECT_TRUE(pumpUntil(source, [&] { return shellSaysHidden("GNOME action window") == true; }));
    source.close(window);
    EXPECT_TRUE(client.said("close"));
    EXPECT_TRUE(pumpUntil(source, [&] { return !listed(source, window); }));
}

TEST_F(Gnome, TurningTheExtensionOffEmptiesTheListAndOnAgainFillsIt) {
    ASSERT_TRUE(setExtension(true));
    Client client("vr.test.toggle", "Toggle window");
    ASSERT_TRUE(client.said("shown"));
    ChosenSource chosen = openWindowSource();
    ASSERT_TRUE(chosen.source) << chosen.status.detail;
    WindowSource& source = *chosen.source;
    ASSERT_NE(waitForTitle(source, "Toggle window"), 0u);
    ASSERT_TRUE(setExtension(false));
    EXPECT_TRUE(pumpUntil(source, [&] { return source.topLevelWindows().empty(); }));
    EXPECT_EQ(source.status().why, NoSource::gnomeExtensionOff);
    ASSERT_TRUE(setExtension(true));
    EXPECT_NE(waitForTitle(source, "Toggle window"), 0u);
    EXPECT_EQ(source.status().kind, SourceKind::gnomeShell);
}

}  // namespace
}  // namespace vr::wl
