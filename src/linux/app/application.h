// The Linux program's one composition root: it opens the X connections, owns the model, every adapter, the
// main window, the tray icon, the form and the About window, wires them, and runs the event loop.
#pragma once
#include <X11/Xlib.h>

#include <QSocketNotifier>
#include <memory>
#include <optional>
#include <string>

#include "form/main_form.h"
#include "linux/adapters/gst_player.h"
#include "linux/adapters/ini_profile.h"
#include "linux/adapters/process_shell.h"
#include "linux/adapters/qt_ports.h"
#include "linux/adapters/x11_attention.h"
#include "linux/adapters/x11_windows.h"
#include "linux/adapters/xdg_autostart.h"
#include "linux/adapters/xkb_lights.h"
#include "linux/windows/about_window.h"
#include "linux/windows/main_window.h"
#include "linux/windows/tray.h"
#include "model/model.h"

namespace vr::lx {

// An X connection of the program's own, beside Qt's.
struct DisplayConnection {
    DisplayConnection();  // throws Error when the display cannot be opened
    ~DisplayConnection();
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;
    Display* display;
};

class Application {
public:
    // Starts the program hidden: the windows, the tray icon, then the settings loaded into the model.
    explicit Application(std::string executable);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    int run();  // the event loop, until the program ends

private:
    void watchSignals();  // SIGTERM, SIGINT and SIGHUP end the program the ordinary way
    void noteWayland();

    std::string executable_;
    Model model_;
    DisplayConnection requests_, events_;  // lookups and lights; the attention watch's events
    X11Windows windows_{requests_.display};
    XkbLockLights lights_{requests_.display};
    X11Attention attention_{events_.display};
    IniProfile profile_;
    XdgAutostart autostart_{autostartFolder()};
    ProcessShell shell_;
    GstPlayer player_;
    MainWindow main_{model_};
    QtTimers timers_;
    QtDialogs dialogs_{&main_};
    std::optional<Tray> tray_;
    std::optional<MainForm> form_;
    std::optional<AboutWindow> about_;
    std::unique_ptr<QSocketNotifier> attentionEvents_, signals_;
};

}  // namespace vr::lx
