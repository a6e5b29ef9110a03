// The Linux program's one composition root: it opens the X connections, owns the model, every adapter, the
// main window, the tray icon, the form and the About window, wires them, and runs the event loop. The X11
// adapters stay out of this header: Xlib's macros (Bool, Status, None) would break the Qt headers after them.
#pragma once
#include <memory>
#include <string>

// The Linux front end's namespace is vr::lx, not vr::linux: `linux` is a macro the compilers predefine in their
// GNU modes, and a header built that way would see the namespace's name replaced by 1.
namespace vr::lx {

class Application {
public:
    // Starts the program hidden: the windows, the tray icon, then the settings loaded into the model.
    explicit Application(std::string executable);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    int run();  // the event loop, until the program ends

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace vr::lx
