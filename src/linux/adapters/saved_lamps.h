// The keyboard's lamp maps an alert has replaced, kept in a file while the alert lasts: a program killed in the
// middle of one puts them back at its next start, or the Caps and Num lamps would stop following their locks
// until the X server restarts. The file is plain text, one lamp a line; no X types here.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vr::lx {

// One indicator's map as XKB holds it (XkbIndicatorMapRec), by the indicator's name.
struct SavedLamp {
    std::string name;  // "Caps Lock"; no tab or line break
    unsigned flags = 0, whichGroups = 0, groups = 0, whichMods = 0, mods = 0, realMods = 0, vmods = 0, ctrls = 0;
    // Lit by an explicit change that its map leaves alone: the lamp itself holds a lock's state (Scroll Lock's
    // usual way), so it is lit again once the map is back.
    bool heldOn = false;
    bool operator==(const SavedLamp&) const = default;
};

// Writes the lamps through a temporary file renamed over the path, so a reader never finds half of them; false
// when the folder refuses it or a name cannot be kept.
bool writeSavedLamps(const std::string& path, const std::vector<SavedLamp>& lamps);

// The lamps the file holds; nothing when there is no such file or it is not one this program wrote.
std::optional<std::vector<SavedLamp>> readSavedLamps(const std::string& path);

}  // namespace vr::lx
