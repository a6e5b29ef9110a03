#include "linux/adapters/xkb_lights.h"

#include "linux/adapters/x11_windows.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace vr::lx {

namespace {

int indicatorBit(Display* display, const char* name) {
    int index = -1;
    Bool state = False;
    if (!XkbGetNamedIndicator(display, XInternAtom(display, name, False), &index, &state, nullptr, nullptr))
        return -1;
    return index;
}

}  // namespace

XkbLockLights::XkbLockLights(Display* display) : display_(display) {
    if (!display_) return;
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    xkb_ = XkbQueryExtension(display_, &opcode, &event, &error, &major, &minor);
    if (xkb_) findIndicators();
}

void XkbLockLights::findIndicators() {
    caps_ = indicatorBit(display_, "Caps Lock");
    num_ = indicatorBit(display_, "Num Lock");
    scroll_ = indicatorBit(display_, "Scroll Lock");
}

LockStates XkbLockLights::states() {
    if (!xkb_) return {};
    XErrorTrap trap(display_);
    if (caps_ < 0 || num_ < 0 || scroll_ < 0) findIndicators();  // a keymap loaded since may name them
    unsigned lit = 0;
    if (XkbGetIndicatorState(display_, XkbUseCoreKbd, &lit) != Success) return {};
    const auto shows = [lit](int bit) { return bit >= 0 && (lit >> bit & 1u) != 0; };
    return {shows(caps_), shows(num_), shows(scroll_)};
}

void XkbLockLights::set(LockKey key, bool on) {
    if (!xkb_ || states().of(key) == on) return;
    XErrorTrap trap(display_);
    const auto lock = [&](unsigned mask) { XkbLockModifiers(display_, XkbUseCoreKbd, mask, on ? mask : 0); };
    const auto light = [&](const char* name) {
        XkbSetNamedIndicator(display_, XInternAtom(display_, name, False), True, on, False, nullptr);
    };
    switch (key) {
        case LockKey::Caps:
            lock(LockMask);
            break;
        case LockKey::Num:
            // The modifier Num_Lock is bound to (Mod2 in the usual keymaps); a keymap without one keeps only
            // the light.
            if (const unsigned mask = XkbKeysymToModifiers(display_, XK_Num_Lock)) lock(mask);
            else light("Num Lock");
            break;
        case LockKey::Scroll:
            // Usually bound to no modifier, so the light alone holds the state; it takes explicit changes.
            if (const unsigned mask = XkbKeysymToModifiers(display_, XK_Scroll_Lock)) lock(mask);
            else light("Scroll Lock");
            break;
    }
    XSync(display_, False);
}

}  // namespace vr::lx
