// Chooses, at start-up, the window source the session offers beside X11: KWin's window management, the
// wlroots toplevel manager, the common toplevel list, or on GNOME the program's own Shell extension; and says
// why none is in use when none is.
#pragma once
#include <memory>

#include "linux/wayland/source_status.h"
#include "linux/wayland/window_source.h"

namespace vr::wl {

struct ChosenSource {
    std::unique_ptr<WindowSource> source;  // null when none is in use
    SourceStatus status;                   // the source's own, or why there is none
};

// Connects to the Wayland display the environment names and to the session bus where needed; each exchange
// is bounded (about a second), so a compositor or shell that does not answer counts as absent.
ChosenSource openWindowSource();

}  // namespace vr::wl
