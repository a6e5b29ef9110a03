// The program's one Windows port on a Linux desktop: the X11 source's windows and a Wayland source's as one
// list, each window once, the program's own left out. No platform header: it speaks to both sources through the
// port, so it is tested with fakes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports.h"

namespace vr::wl {

// How the program knows its own windows.
struct OwnProgram {
    std::uint32_t pid = 0;
    std::string appId = "vigilamp";  // what the compositor calls it when it does not tell the process
};

class CompositeWindows final : public Windows {
public:
    // wayland may be null (no Wayland source in use). Both outlive this object. Wayland handles carry
    // kWaylandHandleBit, X11 ones never do: that routes every call to the source that owns the window.
    CompositeWindows(Windows& x11, Windows* wayland, OwnProgram own);

    // The first X11 window that fits, else the first Wayland one; the program's own windows never fit.
    WindowHandle find(const WindowRule& rule) override;
    bool fits(WindowHandle window, const WindowRule& rule) override;
    void minimise(WindowHandle window) override;
    void close(WindowHandle window) override;
    // The X11 windows, then the Wayland ones that are not an X11 window seen again (see sameWindow), without
    // the program's own.
    std::vector<TopLevelWindow> topLevelWindows() override;
    std::optional<std::string> classOf(WindowHandle window) override;
    std::optional<WindowOwner> ownerOf(WindowHandle window) override;
    std::optional<std::string> titleOf(WindowHandle window) override;
    OwnerTerms terms() override { return x11_.terms(); }
    // As the composition root describes the sources in use (the Wayland one's abilities change as it learns
    // them); the X11 source's own words without a description.
    std::string reach() override { return reach_ ? reach_() : x11_.reach(); }
    std::string limits() override { return limits_ ? limits_() : x11_.limits(); }
    void describe(std::function<std::string()> reach, std::function<std::string()> limits) {
        reach_ = std::move(reach);
        limits_ = std::move(limits);
    }

    // Whether the Wayland toplevel is the X11 window as the compositor lists it (an XWayland window): one of
    // the toplevel's names (app id, class) is the X11 class or instance, letter case ignored; the titles are the
    // same; and so are the processes where both tell. Each X11 window stands for at most one toplevel.
    bool sameWindow(WindowHandle x11Window, WindowHandle toplevel);
    bool own(WindowHandle window);  // one of the program's own windows

private:
    Windows& sourceOf(WindowHandle window);

    Windows& x11_;
    Windows* wayland_;
    OwnProgram own_;
    std::function<std::string()> reach_, limits_;
};

// The X11 source's window events and a Wayland source's as one port: both listen as the form asks; attention is
// the Wayland source's to report where one is in use (the desktop's own windows are the ones that matter there).
class CompositeEvents final : public WindowEvents {
public:
    CompositeEvents(WindowEvents& x11, WindowEvents* wayland) : x11_(x11), wayland_(wayland) {}
    std::optional<std::string> attentionUnavailable() override {
        return wayland_ ? wayland_->attentionUnavailable() : x11_.attentionUnavailable();
    }
    void listen(bool changes, bool attention) override {
        x11_.listen(changes, attention);
        if (wayland_) wayland_->listen(changes, attention);
    }

private:
    WindowEvents& x11_;
    WindowEvents* wayland_;
};

}  // namespace vr::wl
