#include "linux/adapters/choose_lamps.h"

#include <string_view>

namespace vr::lx {

std::unique_ptr<Lamps> chooseLamps(const char* sessionType, const LampRoutes& routes) {
    const bool wayland = sessionType && std::string_view(sessionType) == "wayland";
    for (const auto* make : {wayland ? nullptr : &routes.xkb, &routes.ledService}) {
        if (!make || !*make) continue;
        if (auto lamps = (*make)(); lamps && lamps->route() != LampRoute::none) return lamps;
    }
    return nullptr;
}

}  // namespace vr::lx
