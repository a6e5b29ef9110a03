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
#include "form/tray_icon.h"
#include "linux/adapters/gst_player.h"
#include "linux/adapters/ini_profile.h"
#include "linux/adapters/process_shell.h"
#include "linux/adapters/qt_ports.h"
#include "linux/adapters/xdg_autostart.h"
#include "linux/windows/main_window.h"
#include "linux/windows/tray.h"
#include "model/model.h"
// Xlib last: its macros must not reach the headers above.
#include "linux/adapters/x11_window_events.h"
#include "linux/adapters/x11_windows.h"
#include "linux/adapters/xkb_lights.h"
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
    void noteWayland();

    std::string executable;
    Model model;
    DisplayConnection requests, events;  // lookups and lights; the window events
    X11Windows windows{requests.display, ownClient()};
    XkbLockLights lights{requests.display};
    X11WindowEvents windowEvents{events.display};
    IniProfile profile;
    XdgAutostart autostart{autostartFolder()};
    ProcessShell shell;
    GstPlayer player;
    MainWindow main{model};
    QtTimers timers;
    QtDialogs dialogs{&main};
    std::optional<Tray> tray;
    std::optional<MainForm> form;
    std::optional<QSocketNotifier> windowEventsReady, signalEvents;
    QTimer eventRound;  // a round of window events that the socket will not tell of
};

Application::Parts::Parts(std::string executablePath)
    : executable(std::move(executablePath)),
      profile(settingsPath(executable)),
      timers([this](int id) { form->timer(id); }) {
    model.attach(main);
    tray.emplace([this](int id) { form->command(id); });
    form.emplace(FormPorts{timers, model, main, windows, windowEvents, lights, dialogs, profile, autostart, shell,
                           player, executable, "manual.html"});
    setUpSysTray(tray->icon(), tray->picture(), tray->menu(),
                 [this] { form->command(static_cast<int>(Cmd::ShowVigilamp1)); });
    // Without a tray to put it away into, a minimised window stays on the taskbar.
    main.setMinimiseToTray(QSystemTrayIcon::isSystemTrayAvailable());
    windowEvents.onChange = [this](WindowHandle window) { form->windowChanged(window); };
    windowEvents.onAttention = [this](WindowHandle window) { form->windowAsksForAttention(window); };
    player.onFailure([this](const std::string& message) {
        QMetaObject::invokeMethod(&main, [this, message] { form->playerFailed(message); }, Qt::QueuedConnection);
    });
    if (windowEvents.fd() >= 0) {
        const auto round = [this] {
            if (const auto ms = windowEvents.processEvents()) eventRound.start(static_cast<int>(*ms));
        };
        eventRound.setSingleShot(true);
        QObject::connect(&eventRound, &QTimer::timeout, round);
        windowEventsReady.emplace(windowEvents.fd(), QSocketNotifier::Read);
        QObject::connect(&*windowEventsReady, &QSocketNotifier::activated, round);
    }
    main.setForm(&*form);
    form->create();
    watchSignals();
    // The session manager asks before the session ends: no lock light is left toggled.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, [this] { form->endSession(); });
    // A desktop without a tray: the window is the only way in, so it shows.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) form->command(static_cast<int>(Cmd::ShowVigilamp1));
    noteWayland();
}

Application::Parts::~Parts() {
    main.setForm(nullptr);
    form.reset();
    tray.reset();
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

void Application::Parts::noteWayland() {
    const char* session = std::getenv("XDG_SESSION_TYPE");
    if (!session || std::string_view(session) != "wayland") return;
    // Said once: the note is remembered in the settings file.
    if (profile.read("Linux", "WaylandNoted").value_or("") == "1") return;
    QMessageBox::information(nullptr, kTitle,
                             "This is a Wayland desktop: Vigilamp Rizu! can see only the windows of programs that "
                             "run through XWayland (X11 programs). Windows of native Wayland programs cannot be "
                             "found, minimised or closed.");
    profile.write("Linux", "WaylandNoted", "1");
}

Application::Application(std::string executable) : parts_(std::make_unique<Parts>(std::move(executable))) {}

Application::~Application() = default;

int Application::run() { return QApplication::exec(); }

}  // namespace vr::lx
