#include "linux/adapters/xkb_lamps.h"

#include "linux/adapters/x11_windows.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <filesystem>

namespace vr::lx {

namespace {

constexpr const char* kNames[] = {"Caps Lock", "Num Lock", "Scroll Lock"};  // by LockKey

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }  // cached by Xlib

// A map under which the lamp shows only what is set explicitly: it follows no modifier, group or control.
XkbIndicatorMapRec explicitOnly() {
    XkbIndicatorMapRec map{};
    return map;
}

// The lamp's state is its own: nothing drives it and it takes explicit changes, so when lit it holds a lock's
// state by itself (the Scroll Lock lamp, which no modifier drives, lit by xset or by the lock lights).
bool holdsItsOwnState(const XkbIndicatorMapRec& map) {
    return (map.flags & XkbIM_NoExplicit) == 0 && (map.which_mods == 0 || map.mods.mask == 0) &&
           (map.which_groups == 0 || map.groups == 0) && map.ctrls == 0;
}

SavedLamp toSaved(const char* name, const XkbIndicatorMapRec& map, bool lit) {
    return {name,          map.flags,          map.which_groups, map.groups, map.which_mods,
            map.mods.mask, map.mods.real_mods, map.mods.vmods,   map.ctrls,  lit && holdsItsOwnState(map)};
}

XkbIndicatorMapRec toMap(const SavedLamp& lamp) {
    XkbIndicatorMapRec map{};
    map.flags = static_cast<unsigned char>(lamp.flags);
    map.which_groups = static_cast<unsigned char>(lamp.whichGroups);
    map.groups = static_cast<unsigned char>(lamp.groups);
    map.which_mods = static_cast<unsigned char>(lamp.whichMods);
    map.mods.mask = static_cast<unsigned char>(lamp.mods);
    map.mods.real_mods = static_cast<unsigned char>(lamp.realMods);
    map.mods.vmods = static_cast<unsigned short>(lamp.vmods);
    map.ctrls = lamp.ctrls;
    return map;
}

}  // namespace

XkbLamps::XkbLamps(Display* display, std::string savedMapsFile)
    : display_(display), file_(std::move(savedMapsFile)) {
    if (!display_) {
        why_ = "no X display";
        return;
    }
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display_, &opcode, &event, &error, &major, &minor)) {
        why_ = "the X server has no keyboard extension (XKB)";
        return;
    }
    repair();
    usable_ = findIndicators();
}

XkbLamps::~XkbLamps() {
    if (replaced_) release();
}

LampRoute XkbLamps::route() { return usable_ ? LampRoute::xkbIndicators : LampRoute::none; }

bool XkbLamps::findIndicators() {
    XErrorTrap trap(display_);
    for (const char* name : kNames) {
        int index = -1;
        if (!XkbGetNamedIndicator(display_, atom(display_, name), &index, nullptr, nullptr, nullptr) || index < 0) {
            why_ = std::string("the keyboard has no \"") + name + "\" indicator";
            return false;
        }
    }
    if (trap.failed()) {
        why_ = "the X server refused to tell the keyboard's indicators";
        return false;
    }
    return true;
}

void XkbLamps::repair() {
    if (file_.empty() || !std::filesystem::exists(file_)) return;
    if (const auto lamps = readSavedLamps(file_)) restore(*lamps);
    std::remove(file_.c_str());
}

bool XkbLamps::saveMaps() {
    saved_.clear();
    for (const char* name : kNames) {
        int index = -1;
        Bool lit = False, real = False;
        XkbIndicatorMapRec map{};
        if (!XkbGetNamedIndicator(display_, atom(display_, name), &index, &lit, &map, &real)) return false;
        saved_.push_back(toSaved(name, map, lit == True));
    }
    // Written before the maps change, so that there is never a replaced map without it. A folder that refuses
    // it costs only the repair after a kill: the lamps still flash.
    if (!file_.empty()) writeSavedLamps(file_, saved_);
    return true;
}

void XkbLamps::show(LockStates lamps) {
    if (!usable_) return;
    XErrorTrap trap(display_);
    if (!replaced_) {
        if (!saveMaps()) return;
        replaced_ = true;
    }
    // The map goes with each state: a keymap loaded since, or another program, may have put the old one back.
    XkbIndicatorMapRec map = explicitOnly();
    for (int key = 0; key < 3; ++key)
        XkbSetNamedIndicator(display_, atom(display_, kNames[key]), True, lamps.of(LockKey(key)) ? True : False,
                             False, &map);
    XFlush(display_);
}

void XkbLamps::release() {
    if (!replaced_) return;
    restore(saved_);
    replaced_ = false;
    if (!file_.empty()) std::remove(file_.c_str());
}

void XkbLamps::restore(const std::vector<SavedLamp>& lamps) {
    XErrorTrap trap(display_);
    XkbIndicatorMapRec open = explicitOnly();
    for (const auto& lamp : lamps)  // off while its map still takes it
        XkbSetNamedIndicator(display_, atom(display_, lamp.name.c_str()), True, False, False, &open);
    for (const auto& lamp : lamps) {
        XkbIndicatorMapRec map = toMap(lamp);
        XkbSetNamedIndicator(display_, atom(display_, lamp.name.c_str()), False, False, False, &map);
    }
    for (const auto& lamp : lamps)
        if (lamp.heldOn) XkbSetNamedIndicator(display_, atom(display_, lamp.name.c_str()), True, True, False, nullptr);
    XSync(display_, False);  // done before a program that ends next closes its display
}

}  // namespace vr::lx
