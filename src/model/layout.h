// The main window's pages and menu bar as tables: one row per control, in tab order within its parent, with geometry in
// pixels at 96 dpi relative to the page or the group box it stands in.
#pragma once
#include <span>

#include "model/ids.h"

namespace vr {

enum class Kind { Label, Group, Button, Check, Radio, Edit, Spin, Led, List };
enum class Font { Plain, Title, Note, Status, Url, Warning, Support };

enum Flag : unsigned {
    None = 0,
    Wrap = 1 << 0,       // word-wrapped label: keeps the table's size
    Disabled = 1 << 1,
    Checked = 1 << 2,
    TabStop = 1 << 3,    // a radio button that starts its group's tab stop
    RightAlign = 1 << 4,
    Hand = 1 << 5,       // hand cursor, clickable label
    MinWidth = 1 << 6,   // sized to its text but never narrower than the table's width
};

struct ControlRow {
    Kind kind;
    Ctl id;
    Ctl parent;  // Ctl::none: the page itself
    const char* text;
    int x, y, w, h;
    Font font;
    unsigned flags;
};

struct PageTable {
    Page page;
    std::span<const ControlRow> rows;
};

std::span<const PageTable> pageTables();

struct MenuRow {
    int depth;  // 0: a menu of the bar, 1: an item of the last menu
    const char* text;  // nullptr: a separator
    Cmd command;
};

std::span<const MenuRow> menuBarTable();

}  // namespace vr
