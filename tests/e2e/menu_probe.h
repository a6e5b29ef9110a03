// What the driver and e2e_menu_probe.dll agree on: the message that asks the probe for a report, what it
// reports on, and the report's file name beside vigilamp.exe.
#pragma once
#include <windows.h>

namespace e2e {

inline constexpr char kMenuProbeMessage[] = "VigilampE2EMenuProbe";
inline constexpr char kMenuProbeReport[] = "menu-probe.txt";
inline constexpr WPARAM kProbeMenuBar = 0;    // the menu bar of the window the message is posted to
inline constexpr WPARAM kProbeOpenPopUp = 1;  // the pop-up menu the program shows now

}  // namespace e2e
