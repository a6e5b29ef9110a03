// mnuSystemTray, the tray icon's pop-up menu, as a table: one row per item, in order.
#pragma once
#include <span>

#include "model/ids.h"

namespace vr {

struct TrayMenuRow {
    const char* text;  // nullptr: a separator
    Cmd command;
    bool isDefault;    // the item a double click on the icon also runs, drawn in bold
};

std::span<const TrayMenuRow> trayMenuTable();

}  // namespace vr
