// The main window as both front ends draw it: its size, its fonts and colours by role, and its pages as tables,
// one row per control in tab order within its parent, with geometry in pixels at 96 dpi relative to the page or
// the group box it stands in; and the rules that place what only a toolkit can measure (a label's text, the
// screen). A front end keeps one widget factory per kind of control and the calls its toolkit needs.
#pragma once
#include <span>

#include "model/ids.h"
#include "model/texts.h"

namespace vr {

inline constexpr int kClientWidth = 686, kClientHeight = 269;  // the main window's client area at 96 dpi

// The platform a front end shows the window on: a few captions speak of what the program does there.
enum class Platform { windows, linuxDesktop };

enum class Kind { Label, Group, Button, Check, Radio, Edit, Spin, Led, List };
enum class Font { Plain, Title, Note, Status, Url, Warning, Support };

enum Flag : unsigned {
    None = 0,
    Wrap = 1 << 0,       // a word-wrapped label or check box caption: keeps the table's size
    Disabled = 1 << 1,
    Checked = 1 << 2,
    TabStop = 1 << 3,    // a radio button that starts its group's tab stop
    RightAlign = 1 << 4,
    Hand = 1 << 5,       // hand cursor, clickable label
    MinWidth = 1 << 6,   // sized to its text but never narrower than the table's width
    Opaque = 1 << 7,     // a group that hides the picture behind it: over the wordmark, or holding a control
                         // that may be greyed (greyed text is unreadable on the picture)
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

// A control's caption on that platform: the table's, unless the platform does the thing another way.
const char* captionOf(const ControlRow& row, Platform platform);

// A font by its role: face, size in points, look, and the colour of its text where the role has one.
struct FontSpec {
    const char* face;
    int points;
    bool bold = false, italic = false, underline = false;
    bool coloured = false;
    Color colour = 0;  // 0x00BBGGRR
};
const FontSpec& fontSpec(Font role);

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Box&) const = default;
};

// Where a label stands once its text is measured: sized to the text, every line of it, unless it word-wraps
// (then it keeps the table's box); never narrower than the table's width with MinWidth; a right-aligned one
// keeps its right edge. now: where it stands, in the front end's units; scale: those units per 96-dpi pixel.
Box fittedLabel(const ControlRow& row, Box now, int textWidth, int textHeight, double scale);

// The window's place the first time it shows: centred in the area the desktop leaves for windows.
Box centred(Box area, int width, int height);

}  // namespace vr
