// The XKB adapter of the LockLights port: the core keyboard's Caps, Num and Scroll Lock, read from its named
// indicators and set through the locked modifiers (Caps, Num) or the indicator itself (Scroll, which drives no
// modifier). Plain Xlib, no Qt.
#pragma once
#include "ports.h"

struct _XDisplay;
typedef struct _XDisplay Display;

namespace vr::lx {

// The display belongs to the caller, who opens it and closes it after this object is gone. Without a display
// or the XKB extension every light reads off and a set does nothing.
class XkbLockLights final : public LockLights {
public:
    explicit XkbLockLights(Display* display);
    LockStates states() override;
    // Waits for the server to have done it (a round trip to the server alone), so a read right after sees it.
    void set(LockKey key, bool on) override;

private:
    void findIndicators();

    Display* display_;
    bool xkb_ = false;
    int caps_ = -1, num_ = -1, scroll_ = -1;  // the indicators' bits; -1 while the keyboard has none so named
};

}  // namespace vr::lx
