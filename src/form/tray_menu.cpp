#include "form/tray_menu.h"

namespace vr {

namespace {

constexpr TrayMenuRow kTrayMenu[] = {
    {"Show Vigilamp Rizu!", Cmd::ShowVigilamp1, true},
    {nullptr, Cmd{}, false},  // N1
    {"Execute", Cmd::Reset1, false},
    {"Reset", Cmd::Reset2, false},
    {"Disable", Cmd::Disable1, false},
    {nullptr, Cmd{}, false},  // N2
    {"Exit", Cmd::Exit1, false},
};

}  // namespace

std::span<const TrayMenuRow> trayMenuTable() { return kTrayMenu; }

}  // namespace vr
