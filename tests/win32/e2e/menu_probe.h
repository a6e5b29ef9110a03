// What the driver and e2e_menu_probe.dll agree on: the message that asks the probe for a report, what it
// reports on, and the files it writes beside vigilamp.exe.
#pragma once
#include <windows.h>

#include <string>

namespace e2e {

inline constexpr char kMenuProbeMessage[] = "VigilampE2EMenuProbe";
inline constexpr char kMenuProbeReport[] = "menu-probe.txt";
inline constexpr WPARAM kProbeMenuBar = 0;    // the menu bar of the window the message is posted to
inline constexpr WPARAM kProbeOpenPopUp = 1;  // the pop-up menu the program shows now
// From now on, every icon the program hands to the shell, in kTrayIconsRecord (tray_probe.cpp); the report
// reads "<watching>".
inline constexpr WPARAM kProbeTrayIcons = 2;
inline constexpr char kTrayIconsRecord[] = "tray-icons.txt";

// In the probe: starts the record of the icons (the program's folder given); returns the report.
std::string watchTrayIcons(const std::string& folder);

}  // namespace e2e
