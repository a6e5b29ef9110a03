#include "model/layout.h"

#include <algorithm>
#include <iterator>

namespace vr {

namespace {

using K = Kind;
using F = Font;
constexpr Ctl page = Ctl::none;

constexpr ControlRow kStatus[] = {
    {K::Label, Ctl::lblTitle, page, "Welcome to Vigilamp Rizu!", 8, 8, 259, 19, F::Title, None},
    {K::Label, Ctl::lblVersion, page, "Version 2.0", 604, 12, 62, 15, F::Plain, None},
    {K::Label, Ctl::lblURL, page, "http://www.vigilamp-rizu.example", 488, 26, 179, 15, F::Url, Hand},
    {K::Group, Ctl::gpbStatus, page, "Status", 8, 28, 261, 125, F::Plain, None},
    {K::Label, Ctl::lblStatus, Ctl::gpbStatus, "Vigilamp is idle.", 6, 18, 128, 15, F::Status, None},
    {K::Led, Ctl::ledStatCaps, Ctl::gpbStatus, "", 6, 42, 25, 10, F::Plain, None},
    {K::Led, Ctl::ledStatNum, Ctl::gpbStatus, "", 6, 62, 25, 10, F::Plain, None},
    {K::Led, Ctl::ledStatScr, Ctl::gpbStatus, "", 6, 82, 25, 10, F::Plain, None},
    {K::Label, Ctl::lblCaps, Ctl::gpbStatus, "Capital Lock", 32, 40, 68, 15, F::Plain, None},
    {K::Label, Ctl::lblNum, Ctl::gpbStatus, "Number Lock", 32, 60, 74, 15, F::Plain, None},
    {K::Label, Ctl::lblScr, Ctl::gpbStatus, "Scroll Lock", 32, 80, 60, 15, F::Plain, None},
    {K::Check, Ctl::cbxDisableStat, Ctl::gpbStatus, "Disable status lights", 4, 100, 137, 17, F::Plain, None},
    {K::Button, Ctl::btnExecute, page, "Execute", 8, 156, 75, 25, F::Plain, None},
    {K::Button, Ctl::btnDisable, page, "Disable", 164, 156, 75, 25, F::Plain, None},
    {K::Button, Ctl::btnReset, page, "Reset", 86, 156, 75, 25, F::Plain, None},
    {K::Check, Ctl::cbxStart, page, "Start with Windows", 8, 184, 127, 17, F::Plain, None},
};

constexpr ControlRow kTimers[] = {
    {K::Label, Ctl::lblTimers, page, "Timers", 8, 8, 52, 19, F::Title, None},
    {K::Group, Ctl::gpbDelay, page, "Initial Delay", 8, 28, 301, 97, F::Plain, None},
    {K::Label, Ctl::lblInit, Ctl::gpbDelay, "The amount of time it takes for Vigilamp to start scanning.", 4, 16,
     274, 30, F::Note, Wrap},
    {K::Spin, Ctl::spnDelay, Ctl::gpbDelay, "10000", 4, 62, 73, 23, F::Plain, None},
    {K::Label, Ctl::lblIniSec, Ctl::gpbDelay, "miliseconds", 80, 70, 68, 15, F::Plain, None},
    {K::Button, Ctl::btnInitSet, Ctl::gpbDelay, "Set", 220, 64, 75, 25, F::Plain, None},
    {K::Group, Ctl::gpbScan, page, "Scanning Intervals", 8, 126, 301, 127, F::Plain, None},
    {K::Label, Ctl::lblScan, Ctl::gpbScan, "The amount of time between scans for the windows.", 4, 16, 280, 15,
     F::Note, None},
    {K::Spin, Ctl::spnScan, Ctl::gpbScan, "1000", 4, 48, 73, 23, F::Plain, None},
    {K::Label, Ctl::lblScanSec, Ctl::gpbScan, "miliseconds", 80, 58, 68, 15, F::Plain, None},
    {K::Button, Ctl::btnScanSet, Ctl::gpbScan, "Set", 220, 52, 75, 25, F::Plain, None},
    // The scan is the safety net: where the system announces new and renamed windows they are seen at once.
    {K::Label, Ctl::lblScanNote, Ctl::gpbScan,
     "Where the system announces new and renamed windows, they are seen at once; the scan looks at the latest "
     "after this interval.", 4, 80, 291, 42, F::Support, Wrap},
};

constexpr ControlRow kLighting[] = {
    {K::Label, Ctl::lblLighting, page, "Lighting", 8, 8, 63, 19, F::Title, None},
    {K::Group, Ctl::gpbFlash, page, "Flashing interval", 8, 28, 301, 85, F::Plain, None},
    {K::Label, Ctl::lblFlash, Ctl::gpbFlash, "Determines how frequently will the locking lights will flash.", 4,
     14, 264, 30, F::Note, Wrap},
    {K::Button, Ctl::btnFlashSet, Ctl::gpbFlash, "Set", 220, 52, 75, 25, F::Plain, None},
    {K::Spin, Ctl::spnFlashing, Ctl::gpbFlash, "1000", 6, 52, 73, 23, F::Plain, None},
    {K::Label, Ctl::lblFlashing, Ctl::gpbFlash, "miliseconds", 82, 60, 68, 15, F::Plain, None},
    {K::Group, Ctl::gpbFlshpat, page, "Flashing pattern", 8, 116, 301, 97, F::Plain, None},
    {K::Label, Ctl::lblFlshpat, Ctl::gpbFlshpat, "Configures what locks will engage.", 4, 14, 188, 15, F::Note,
     None},
    {K::Check, Ctl::cbxFlshpatCaps, Ctl::gpbFlshpat, "Capital Lock", 6, 32, 97, 17, F::Plain, None},
    {K::Check, Ctl::cbxFlshpatNum, Ctl::gpbFlshpat, "Number Lock", 6, 50, 97, 17, F::Plain, None},
    {K::Check, Ctl::cbxFlshpatScr, Ctl::gpbFlshpat, "Scroll Lock", 6, 68, 97, 17, F::Plain, None},
    {K::Button, Ctl::btnFlshpatSet, Ctl::gpbFlshpat, "Set", 220, 64, 75, 25, F::Plain, None},
    // What flashes: the lamps alone (the lock keys untouched) where the system lets the program, and the tray
    // icon. The pattern group's Set keeps both boxes.
    {K::Group, Ctl::gpbLamps, page, "Lamps", 320, 28, 323, 113, F::Plain, Opaque},
    {K::Check, Ctl::cbxLampsOnly, Ctl::gpbLamps, "Flash the lamps only; leave Caps, Num and Scroll Lock as they are",
     6, 16, 311, 30, F::Plain, Checked | Wrap},
    {K::Label, Ctl::lblLampsNote, Ctl::gpbLamps, "", 24, 48, 293, 30, F::Support, Wrap},
    {K::Check, Ctl::cbxFlashTrayIcon, Ctl::gpbLamps, "Flash the tray icon", 6, 82, 200, 17, F::Plain, Checked},
};

constexpr ControlRow kActions[] = {
    {K::Label, Ctl::lblActions, page, "Actions", 8, 8, 58, 19, F::Title, None},
    {K::Group, Ctl::gpbAction, page, "Window action", 8, 28, 301, 119, F::Plain, None},
    {K::Label, Ctl::lblAction, Ctl::gpbAction, "What do you want Vigilamp to do when it finds the window?", 6, 18,
     263, 30, F::Note, Wrap},
    {K::Radio, Ctl::rbnMinimise, Ctl::gpbAction, "Minimise the window", 6, 52, 139, 17, F::Plain,
     Checked | TabStop},
    {K::Radio, Ctl::rbnClose, Ctl::gpbAction, "Close the window", 6, 70, 139, 17, F::Plain, None},
    {K::Radio, Ctl::rbnNothing, Ctl::gpbAction, "Nothing, just alert me", 6, 88, 141, 17, F::Plain, None},
    {K::Button, Ctl::btnAction, Ctl::gpbAction, "Set", 220, 86, 75, 25, F::Plain, None},
    // What the desktop will not let a program do to its windows, where it says so (some Wayland desktops).
    {K::Label, Ctl::lblActionLimits, Ctl::gpbAction, "", 150, 50, 145, 34, F::Support, Wrap},
    {K::Group, Ctl::gpbExecute, page, "Program execution", 8, 150, 301, 123, F::Plain, None},
    {K::Label, Ctl::lblExecute, Ctl::gpbExecute,
     "In addition to alerting you of windows, Vigilamp can also execute files or programs.", 4, 16, 283, 30,
     F::Note, Wrap},
    {K::Check, Ctl::cbxEnable, Ctl::gpbExecute, "Enable", 4, 48, 97, 17, F::Plain, None},
    {K::Edit, Ctl::txtFile, Ctl::gpbExecute, "", 4, 68, 291, 23, F::Plain, Disabled},
    {K::Button, Ctl::btnBrowse, Ctl::gpbExecute, "Browse...", 140, 94, 75, 25, F::Plain, Disabled},
    {K::Button, Ctl::btnClear, Ctl::gpbExecute, "Clear", 220, 94, 75, 25, F::Plain, Disabled},
    {K::Group, Ctl::gpbSounds, page, "Play Sounds", 320, 28, 323, 135, F::Plain, None},
    {K::Label, Ctl::lblAudio, Ctl::gpbSounds, "Allows audible notification of an action.", 6, 16, 211, 15, F::Note,
     None},
    {K::Check, Ctl::cbxAudEnable, Ctl::gpbSounds, "Enable", 6, 32, 97, 17, F::Plain, None},
    {K::Edit, Ctl::txtAudFile, Ctl::gpbSounds, "", 6, 50, 313, 23, F::Plain, Disabled},
    {K::Button, Ctl::btnAudBrowse, Ctl::gpbSounds, "Browse...", 166, 76, 75, 25, F::Plain, Disabled},
    {K::Button, Ctl::btnAudClear, Ctl::gpbSounds, "Clear", 244, 76, 75, 25, F::Plain, Disabled},
    {K::Button, Ctl::btnDefault, Ctl::gpbSounds, "Default", 88, 76, 75, 25, F::Plain, Disabled},
    {K::Label, Ctl::lblSupport, Ctl::gpbSounds,
     "Vigilamp Rizu will play files supported by your installed version of Windows Media Player.", 4, 104, 315,
     28, F::Support, Wrap},
};

constexpr ControlRow kAdvanced[] = {
    {K::Label, Ctl::lblAdvanced, page, "Advanced", 8, 8, 77, 19, F::Title, None},
    {K::Label, Ctl::lblWarning, page, "Feature Warning!", 533, 10, 94, 15, F::Warning, RightAlign | Hand},
    {K::Group, Ctl::gpbUnsupported, page, "Unsupported programs", 8, 26, 621, 239, F::Plain, None},
    {K::Label, Ctl::lblUnsupported, Ctl::gpbUnsupported,
     "Vigilamp is flexible enough to allow you to add unofficial support to almost any program!", 6, 16, 406, 30,
     F::Note, Wrap},
    {K::Label, Ctl::lblDetected, Ctl::gpbUnsupported, "Detected handles", 6, 68, 97, 15, F::Plain, None},
    {K::List, Ctl::lsbHandles, Ctl::gpbUnsupported, "", 6, 84, 321, 121, F::Plain, Disabled},
    {K::Button, Ctl::btnScan, Ctl::gpbUnsupported, "Scan", 6, 208, 75, 25, F::Plain, Disabled},
    {K::Group, Ctl::gpbHandle, Ctl::gpbUnsupported, "Handle information", 332, 62, 281, 105, F::Plain, None},
    {K::Label, Ctl::lblHandle, Ctl::gpbHandle, "Please select a handle.", 6, 18, 129, 15, F::Plain, None},
    {K::Button, Ctl::btnSet, Ctl::gpbUnsupported, "Set", 332, 186, 75, 25, F::Plain, Disabled},
    {K::Check, Ctl::cbxEnableAdvanced, Ctl::gpbUnsupported, "Enable", 6, 46, 97, 17, F::Plain, None},
    {K::Label, Ctl::lblHandlename, Ctl::gpbUnsupported, "Selected Handle:", 332, 168, 94, 15, F::Plain, None},
    {K::Label, Ctl::lblClassname, Ctl::gpbUnsupported, kDefaultClass, 430, 168, 183, 15, F::Plain, MinWidth},
};

constexpr ControlRow kMatch[] = {
    {K::Label, Ctl::lblMatch, page, "Match", 8, 8, 48, 19, F::Title, None},
    {K::Group, Ctl::gpbRule, page, "Window rule", 8, 28, 301, 150, F::Plain, None},
    {K::Label, Ctl::lblRule, Ctl::gpbRule,
     "A window matches when it has the class in use and, with the pattern on, a title that fits it.", 4, 16, 283,
     30, F::Note, Wrap},
    {K::Label, Ctl::lblRuleClass, Ctl::gpbRule, "Class in use:", 4, 50, 74, 15, F::Plain, None},
    {K::Label, Ctl::lblMatchClass, Ctl::gpbRule, kDefaultClass, 82, 50, 205, 15, F::Plain, MinWidth},
    {K::Check, Ctl::cbxTitleEnable, Ctl::gpbRule, "Title pattern", 4, 68, 97, 17, F::Plain, None},
    {K::Edit, Ctl::txtTitle, Ctl::gpbRule, "", 4, 88, 291, 23, F::Plain, Disabled},
    {K::Label, Ctl::lblPatternHelp, Ctl::gpbRule, "* any characters, ? one character, any letter case.", 4, 118,
     205, 28, F::Note, Wrap},
    {K::Button, Ctl::btnTitleSet, Ctl::gpbRule, "Set", 220, 118, 75, 25, F::Plain, None},
    {K::Group, Ctl::gpbAttention, page, "Attention", 8, 180, 301, 85, F::Plain, Opaque},
    {K::Label, Ctl::lblAttentionNote, Ctl::gpbAttention,
     "Alert at once when a window that fits the rule flashes its taskbar button.", 4, 14, 283, 28, F::Note, Wrap},
    {K::Check, Ctl::cbxAttention, Ctl::gpbAttention, "Alert when a window asks for attention", 4, 42, 240, 17,
     F::Plain, None},
    {K::Label, Ctl::lblAttentionState, Ctl::gpbAttention, "", 4, 60, 291, 22, F::Support, Wrap},
    {K::Group, Ctl::gpbStartUp, page, "Start-up", 320, 28, 323, 61, F::Plain, None},
    {K::Check, Ctl::cbxWatchAtStart, Ctl::gpbStartUp, "Start watching when Vigilamp starts", 6, 18, 240, 17,
     F::Plain, None},
    {K::Label, Ctl::lblStartUpNote, Ctl::gpbStartUp, "As if you gave the Execute command yourself.", 6, 38, 300,
     15, F::Note, None},
    {K::Group, Ctl::gpbTest, page, "Test", 320, 92, 323, 115, F::Plain, Opaque},
    {K::Label, Ctl::lblTestNote, Ctl::gpbTest, "Which window matches the rule right now?", 6, 16, 300, 15, F::Note,
     None},
    {K::Button, Ctl::btnTest, Ctl::gpbTest, "Test", 6, 36, 75, 25, F::Plain, None},
    {K::Label, Ctl::lblTestResult, Ctl::gpbTest, "", 6, 64, 311, 48, F::Plain, Wrap},
    // What this desktop lets the program see and do: its windows, its lamps, attention.
    {K::Group, Ctl::gpbDesktop, page, "This desktop", 320, 209, 323, 56, F::Plain, Opaque},
    {K::Label, Ctl::lblDesktop, Ctl::gpbDesktop, "", 6, 15, 311, 38, F::Support, Wrap},
};

constexpr PageTable kPages[] = {
    {Page::Status, kStatus},   {Page::Timers, kTimers},     {Page::Lighting, kLighting},
    {Page::Actions, kActions}, {Page::Advanced, kAdvanced}, {Page::Match, kMatch},
};

}  // namespace

std::span<const PageTable> pageTables() { return kPages; }

namespace {

// Captions that speak of Windows where the Linux program does something else.
struct PlatformCaption {
    Ctl control;
    Platform platform;
    const char* text;
};
constexpr PlatformCaption kPlatformCaptions[] = {
    {Ctl::cbxStart, Platform::linuxDesktop, "Start at login"},
    {Ctl::lblSupport, Platform::linuxDesktop,
     "Vigilamp Rizu will play files supported by your installed GStreamer plug-ins."},
    {Ctl::lblAttentionNote, Platform::linuxDesktop,
     "Alert at once when a window that fits the rule asks for attention (urgent)."},
};

// In the order of Font: Plain, Title, Note, Status, Url, Warning, Support.
constexpr FontSpec kFonts[] = {
    {"Arial", 9},
    {"Arial", 12, true},
    {"Arial", 9, false, true},
    {"Arial", 9, false, true, true},
    {"Arial", 9, false, false, true, true, 0xFF0000},  // a link: blue
    {"Arial", 9, false, false, true, true, 0x0000FF},  // a warning: red
    {"Arial", 8},
};
static_assert(std::size(kFonts) == static_cast<std::size_t>(Font::Support) + 1);

}  // namespace

const char* captionOf(const ControlRow& row, Platform platform) {
    for (const PlatformCaption& c : kPlatformCaptions)
        if (c.control == row.id && c.platform == platform) return c.text;
    return row.text;
}

const FontSpec& fontSpec(Font role) { return kFonts[static_cast<int>(role)]; }

Box fittedLabel(const ControlRow& row, Box now, int textWidth, int textHeight, double scale) {
    if (row.flags & Wrap) return now;
    int width = textWidth;
    if (row.flags & MinWidth) width = std::max(width, static_cast<int>(row.w * scale + 0.5));
    const int left = row.flags & RightAlign ? now.x + now.w - width : now.x;
    return {left, now.y, width, textHeight};
}

Box centred(Box area, int width, int height) {
    return {area.x + (area.w - width) / 2, area.y + (area.h - height) / 2, width, height};
}

}  // namespace vr
