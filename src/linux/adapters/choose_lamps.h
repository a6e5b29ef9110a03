// Which way the keyboard's lamps are reached on Linux: the routes are made one at a time, in the order the
// session calls for, and the first that works is kept. No X or bus headers here.
#pragma once
#include <functional>
#include <memory>

#include "ports.h"

namespace vr::lx {

// Each makes its route's adapter when called; an empty one is a route this program cannot offer here (no X
// display, for one).
struct LampRoutes {
    std::function<std::unique_ptr<Lamps>()> xkb;
    std::function<std::unique_ptr<Lamps>()> ledService;
};

// sessionType is XDG_SESSION_TYPE (null when unset). On Wayland only the LED service: the X server there is
// XWayland, whose indicators light no keyboard. Elsewhere the X keyboard extension first, then the LED service.
// Nothing when no route works; a route that does not work is made and dropped.
std::unique_ptr<Lamps> chooseLamps(const char* sessionType, const LampRoutes& routes);

}  // namespace vr::lx
