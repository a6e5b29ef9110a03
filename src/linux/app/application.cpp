#include "linux/app/application.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <optional>

#include "form/main_form.h"
#include "linux/adapters/gst_player.h"
#include "linux/adapters/choose_lamps.h"
#include "linux/adapters/ini_profile.h"
#include "linux/adapters/led_service_lamps.h"
#include "linux/adapters/process_launcher.h"
#include "linux/adapters/qt_ports.h"
#include "linux/adapters/xdg_autostart.h"
#include "linux/windows/main_window.h"
#include "linux/wayland/composite_windows.h"
#include "linux/wayland/session_sources.h"
#include "linux/windows/tray.h"
#include "model/model.h"
// Xlib last: its macros must not reach the headers above.
#include "linux/adapters/x11_window_events.h"
#include "linux/adapters/x11_windows.h"
#include "linux/adapters/xkb_lights.h"
#include "linux/adapters/xkb_lamps.h"
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace vr::lx {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// The resource-id base of the X connection Qt makes the program's windows on: the windows no rule may find.
std::uint32_t ownClient() {
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 && x11->connection() ? xcb_get_setup(x11->connection())->resource_id_base : 0;
}

// An X connection of the program's own, beside Qt's.
struct DisplayConnection {
    DisplayConnection() : display(XOpenDisplay(nullptr)) {
        if (!display) throw Error("Unable to open the X display");
    }
    ~DisplayConnection() { XCloseDisplay(display); }
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;
    Display* display;
};

}  // namespace

struct Application::Parts {
    explicit Parts(std::string executable);
    ~Parts();
    void watchSignals();  // SIGTERM, SIGINT and SIGHUP end the program the ordinary way
    // The first way to the keyboard's lamps that works here, or none.
    std::unique_ptr<Lamps> openLamps();
    // The Wayland source's events reach the form, its socket watched by the event loop; the status line follows
    // what the source learns.
    void watchWayland();

    std::string executable;
    const char* const session = std::getenv("XDG_SESSION_TYPE");  // null when unset
    const bool onWayland = session && std::string_view(session) == "wayland";
    Model model{Platform::linuxDesktop};
    DisplayConnection requests, events;  // lookups and lights; the window events
    // The session's own window list beside X11's, where it offers one (a Wayland desktop).
    wl::ChosenSource wayland = wl::openWindowSource();
    X11Windows x11Windows{requests.display, ownClient()};
    wl::CompositeWindows windows{x11Windows, wayland.source.get(), {static_cast<std::uint32_t>(::getpid()), "vigilamp"}};
    XkbLockLights lights{requests.display};
    std::unique_ptr<Lamps> lamps;
    X11WindowEvents x11Events{events.display};
    wl::CompositeEvents windowEvents{x11Events, wayland.source.get()};
    IniProfile profile;
    XdgAutostart autostart{autostartFolder(), executable};
    ProcessLauncher launcher;
    GstPlayer player;
    MainWindow main{model};
    QtTimers timers;
    QtDialogs dialogs{&main};
    std::optional<Tray> tray;
    std::optional<MainForm> form;
    std::optional<QSocketNotifier> x11EventsReady, waylandEvents, signalEvents;
    QTimer eventRound;  // a round of X11 window events that the socket will not tell of
};

Application::Parts::Parts(std::string executablePath)
    : executable(std::move(executablePath)),
      profile(settingsPath(executable)),
      timers([this](int id) { form->timer(id); }) {
    model.attach(main);
    lamps = openLamps();
    tray.emplace([this](int id) { form->command(id); });
    watchWayland();
    form.emplace(FormPorts{timers, model, main, windows, windowEvents, lights, *lamps, dialogs, profile, autostart, launcher,
                           player, *tray, executable, "manual.html"});
    // Without a tray to put it away into, a minimised window stays on the taskbar.
    main.setMinimiseToTray(QSystemTrayIcon::isSystemTrayAvailable());
    x11Events.onChange = [this](WindowHandle window) { form->windowChanged(window); };
    x11Events.onAttention = [this](WindowHandle window) { form->windowAsksForAttention(window); };
    player.onFailure([this](const std::string& message) {
        QMetaObject::invokeMethod(&main, [this, message] { form->playerFailed(message); }, Qt::QueuedConnection);
    });
    if (x11Events.fd() >= 0) {
        const auto round = [this] {
            if (const auto ms = x11Events.processEvents()) eventRound.start(static_cast<int>(*ms));
        };
        eventRound.setSingleShot(true);
        QObject::connect(&eventRound, &QTimer::timeout, round);
        x11EventsReady.emplace(x11Events.fd(), QSocketNotifier::Read);
        QObject::connect(&*x11EventsReady, &QSocketNotifier::activated, round);
    }
    main.setForm(&*form);
    form->create();
    watchSignals();
    // The session manager asks before the session ends: the alert ends as at Exit, the lamps back on the locks.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, [this] { form->endSession(); });
    // A desktop without a tray: the window is the only way in, so it shows.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) form->command(static_cast<int>(Cmd::TrayShow));
}

Application::Parts::~Parts() {
    main.setForm(nullptr);
    form.reset();
    tray.reset();
}

namespace {

// No way to the lamps: the lock keys are switched instead.
struct NoLamps final : Lamps {
    LampRoute route() override { return LampRoute::none; }
    void show(LockStates) override {}
    void release() override {}
};

}  // namespace

std::unique_ptr<Lamps> Application::Parts::openLamps() {
    // The lamps' saved maps lie beside the settings: a program killed during an alert repairs them at its next start.
    const std::string settings = profile.path();
    const std::string savedMaps = settings.substr(0, settings.rfind('/') + 1) + "vigilamp-lamps.saved";
    const char* leds = std::getenv("VIGILAMP_LEDS");  // where the kernel's LED devices are (the tests' own)
    LampRoutes routes;
    routes.xkb = [this, savedMaps] { return std::make_unique<XkbLamps>(requests.display, savedMaps); };
    routes.ledService = [this, leds] {
        // On Wayland the X lock state is XWayland's own copy: the lamps go back to what they showed before.
        return std::make_unique<LedServiceLamps>(lights, leds && *leds ? leds : "/sys/class/leds",
                                                 onWayland ? LedServiceLamps::Back::asBefore
                                                         : LedServiceLamps::Back::lockState);
    };
    if (auto chosen = chooseLamps(session, routes)) return chosen;
    return std::make_unique<NoLamps>();
}

void Application::Parts::watchSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    struct sigaction action{};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
    signalEvents.emplace(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&*signalEvents, &QSocketNotifier::activated, [this] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
        // Asked to end from outside: nobody may be there to answer a box, so the program ends whatever fails.
        form->endFromOutside();
    });
}

void Application::Parts::watchWayland() {
    const auto status = [this] { return wayland.source ? wayland.source->status() : wayland.status; };
    windows.describe(
        [status, onWayland = onWayland] {
            // On X11 the X11 windows are all there are; on Wayland, the source says what it sees, or why nothing.
            if (!onWayland) return std::string("every window of this X11 desktop");
            const wl::SourceStatus now = status();
            if (now.kind == wl::SourceKind::none) return "only the X11 windows; " + now.detail;
            return "the X11 windows and this desktop's own (" + now.line() + ")";
        },
        [status] {
            const wl::SourceStatus now = status();
            if (now.kind == wl::SourceKind::none) return std::string();
            if (now.minimise == wl::Ability::no && now.close == wl::Ability::no)
                return std::string("This desktop lets no program minimise or close its own windows (X11 windows "
                                   "still can).");
            if (now.minimise == wl::Ability::no)
                return std::string("This desktop ignores requests to minimise its own windows (X11 windows still "
                                   "minimise).");
            return std::string();
        });
    if (!wayland.source) return;
    wayland.source->onWindow = [this](WindowHandle window) { form->windowChanged(window); };
    wayland.source->onAttention = [this](WindowHandle window) { form->windowAsksForAttention(window); };
    waylandEvents.emplace(wayland.source->fd(), QSocketNotifier::Read);
    QObject::connect(&*waylandEvents, &QSocketNotifier::activated, [this] {
        // A connection that has gone is watched no more; the status line says so.
        if (wayland.source->dispatch()) return;
        waylandEvents->setEnabled(false);
        form->showDesktopState();
    });
    wayland.source->dispatch();  // what came with the connection's set-up
}

Application::Application(std::string executable) : parts_(std::make_unique<Parts>(std::move(executable))) {}

Application::~Application() = default;

int Application::run() { return QApplication::exec(); }

}  // namespace vr::lx
