// Which window source the session offers beside X11, and what it allows: what the program shows on one status
// line. Plain data, no platform header.
#pragma once
#include <string>

namespace vr::wl {

enum class SourceKind { none, wlroots, plasma, toplevelList, gnomeShell };

// Why no source is in use.
enum class NoSource {
    none,              // a source is in use
    notWayland,        // no Wayland display to speak to
    noProtocol,        // the compositor offers no window list to programs
    kwinNeedsEntry,    // KWin keeps its window list for programs named by a desktop entry
    gnomeExtensionOff, // the program's GNOME Shell extension is installed but not enabled
    gnomeExtensionMissing,
    lost,              // the source's connection has gone
};

// no: the source cannot; unknown: it may, and says so once it has tried.
enum class Ability { no, yes, unknown };

struct SourceStatus {
    SourceKind kind = SourceKind::none;
    NoSource why = NoSource::notWayland;
    std::string detail;  // the text of why, with what to do about it where something can be done
    Ability minimise = Ability::no, close = Ability::no, attention = Ability::no;

    // One line for the status area: the source in use and what works, or why none is.
    std::string line() const;
};

// The program's GNOME Shell extension, as `gnome-extensions enable` names it.
inline constexpr const char* kGnomeExtensionUuid = "windows@vigilamp.example.org";

}  // namespace vr::wl
