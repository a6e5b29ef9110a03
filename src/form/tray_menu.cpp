#include "form/tray_menu.h"

namespace vr {

namespace {

constexpr TrayMenuRow kTrayMenu[] = {
    {"Show Vigilamp Rizu!", Cmd::TrayShow, true},
    {nullptr, Cmd{}, false},  // N1
    {"Execute", Cmd::TrayExecute, false},
    {"Reset", Cmd::TrayReset, false},
    {"Disable", Cmd::TrayDisable, false},
    {nullptr, Cmd{}, false},  // N2
    {"Exit", Cmd::TrayExit, false},
};

}  // namespace

std::span<const TrayMenuRow> trayMenuTable() { return kTrayMenu; }

}  // namespace vr
