#include "linux/app/application.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <csignal>

#include "form/tray_icon.h"

namespace vr::lx {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

DisplayConnection::DisplayConnection() : display(XOpenDisplay(nullptr)) {
    if (!display) throw Error("Unable to open the X display");
}

DisplayConnection::~DisplayConnection() { XCloseDisplay(display); }

Application::Application(std::string executable)
    : executable_(std::move(executable)),
      profile_(settingsPath(executable_)),
      timers_([this](int id) { form_->timer(id); }) {
    model_.attach(main_);
    tray_.emplace([this](int id) { form_->command(id); });
    form_.emplace(FormPorts{timers_, model_, main_, windows_, attention_, lights_, dialogs_, profile_, autostart_,
                            shell_, player_, executable_, "manual.html"});
    setUpSysTray(tray_->icon(), tray_->picture(), tray_->menu(),
                 [this] { form_->command(static_cast<int>(Cmd::ShowVigilamp1)); });
    // Without a tray to put it away into, a minimised window stays on the taskbar.
    main_.setMinimiseToTray(QSystemTrayIcon::isSystemTrayAvailable());
    attention_.onAttention = [this](WindowHandle window) { form_->windowAsksForAttention(window); };
    attentionEvents_ = std::make_unique<QSocketNotifier>(attention_.fd(), QSocketNotifier::Read);
    QObject::connect(attentionEvents_.get(), &QSocketNotifier::activated, [this] { attention_.processEvents(); });
    main_.setForm(&*form_);
    form_->create();
    about_.emplace(&main_);  // hidden until Help > About
    main_.setAbout(&*about_);
    watchSignals();
    // The session manager asks before the session ends: no lock light is left toggled.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, [this] { form_->endSession(); });
    // A desktop without a tray: the window is the only way in, so it shows.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) form_->command(static_cast<int>(Cmd::ShowVigilamp1));
    noteWayland();
}

Application::~Application() {
    main_.setAbout(nullptr);
    about_.reset();
    main_.setForm(nullptr);
    form_.reset();
    tray_.reset();
}

void Application::watchSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    struct sigaction action{};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
    signals_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(signals_.get(), &QSocketNotifier::activated, [this] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
        // Asked to end from outside: the program ends the way closing its window ends it.
        form_->ownWindowClosing();
    });
}

void Application::noteWayland() {
    const char* session = std::getenv("XDG_SESSION_TYPE");
    if (!session || std::string_view(session) != "wayland") return;
    // Said once: the note is remembered in the settings file.
    if (profile_.read("Linux", "WaylandNoted").value_or("") == "1") return;
    QMessageBox::information(nullptr, kTitle,
                             "This is a Wayland desktop: Vigilamp Rizu! can see only the windows of programs that "
                             "run through XWayland (X11 programs). Windows of native Wayland programs cannot be "
                             "found, minimised or closed.");
    profile_.write("Linux", "WaylandNoted", "1");
}

int Application::run() { return QApplication::exec(); }

}  // namespace vr::lx
