#include "linux/wayland/composite_windows.h"

#include <algorithm>

#include "linux/adapters/case_fold.h"
#include "linux/wayland/toplevel_table.h"

namespace vr::wl {

CompositeWindows::CompositeWindows(Windows& x11, Windows* wayland, OwnProgram own)
    : x11_(x11), wayland_(wayland), own_(std::move(own)) {}

Windows& CompositeWindows::sourceOf(WindowHandle window) {
    return isWaylandHandle(window) && wayland_ ? *wayland_ : x11_;
}

bool CompositeWindows::own(WindowHandle window) {
    if (isWaylandHandle(window) && !wayland_) return false;
    const auto owner = sourceOf(window).ownerOf(window);
    if (owner && owner->process != 0) return owner->process == own_.pid;
    // A process the source does not tell: the program's name for itself decides.
    const auto className = sourceOf(window).classOf(window);
    return className && RuleMatcher(WindowRule{own_.appId, std::nullopt}, lx::foldCase).fitsClass(std::string_view(*className));
}

bool CompositeWindows::sameWindow(WindowHandle x11Window, WindowHandle toplevel) {
    if (!wayland_) return false;
    const auto appId = wayland_->classOf(toplevel);
    const auto title = wayland_->titleOf(toplevel);
    if (!appId || !title || x11_.titleOf(x11Window) != title) return false;
    // Each source answers to every name it has for a window: the X11 one to the class and the instance, a
    // Wayland one to the app id and a class where the desktop tells one.
    const auto x11Class = x11_.classOf(x11Window);
    const bool named = (!appId->empty() && x11_.fits(x11Window, WindowRule{*appId, std::nullopt})) ||
                       (x11Class && !x11Class->empty() && wayland_->fits(toplevel, WindowRule{*x11Class, std::nullopt}));
    if (!named) return false;
    const auto a = x11_.ownerOf(x11Window), b = wayland_->ownerOf(toplevel);
    return !a || !b || a->process == 0 || b->process == 0 || a->process == b->process;
}

WindowHandle CompositeWindows::find(const WindowRule& rule) {
    // The usual way: each source's own lookup. Only when that finds one of the program's own windows are the
    // sources gone through window by window.
    for (Windows* source : {&x11_, wayland_}) {
        if (!source) continue;
        const WindowHandle first = source->find(rule);
        if (!first) continue;
        if (!own(first)) return first;
        for (const auto& window : source->topLevelWindows())
            if (!own(window.handle) && source->fits(window.handle, rule)) return window.handle;
    }
    return 0;
}

bool CompositeWindows::fits(WindowHandle window, const WindowRule& rule) {
    if (isWaylandHandle(window) && !wayland_) return false;
    return sourceOf(window).fits(window, rule) && !own(window);
}

void CompositeWindows::minimise(WindowHandle window) {
    if (!isWaylandHandle(window) || wayland_) sourceOf(window).minimise(window);
}

void CompositeWindows::close(WindowHandle window) {
    if (!isWaylandHandle(window) || wayland_) sourceOf(window).close(window);
}

std::vector<TopLevelWindow> CompositeWindows::topLevelWindows() {
    std::vector<TopLevelWindow> all;
    std::vector<TopLevelWindow> unpaired;  // X11 windows no toplevel has been recognised as yet
    for (auto& window : x11_.topLevelWindows()) {
        if (own(window.handle)) continue;
        unpaired.push_back(window);
        all.push_back(std::move(window));
    }
    if (!wayland_) return all;
    for (auto& toplevel : wayland_->topLevelWindows()) {
        if (own(toplevel.handle)) continue;
        // The listed titles first, which costs no request: only a window of the same title is asked further.
        const auto twin = std::find_if(unpaired.begin(), unpaired.end(), [&](const TopLevelWindow& window) {
            return window.title == toplevel.title && sameWindow(window.handle, toplevel.handle);
        });
        if (twin != unpaired.end()) {
            unpaired.erase(twin);
            continue;
        }
        all.push_back(std::move(toplevel));
    }
    return all;
}

std::optional<std::string> CompositeWindows::classOf(WindowHandle window) {
    if (isWaylandHandle(window) && !wayland_) return std::nullopt;
    return sourceOf(window).classOf(window);
}

std::optional<WindowOwner> CompositeWindows::ownerOf(WindowHandle window) {
    if (isWaylandHandle(window) && !wayland_) return std::nullopt;
    return sourceOf(window).ownerOf(window);
}

std::optional<std::string> CompositeWindows::titleOf(WindowHandle window) {
    if (isWaylandHandle(window) && !wayland_) return std::nullopt;
    return sourceOf(window).titleOf(window);
}

}  // namespace vr::wl
