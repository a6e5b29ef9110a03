// The Lamps port through the X keyboard extension: the Caps, Num and Scroll Lock indicators lit and put out
// explicitly, while the locked modifiers, and so what the keys type, stay as the user left them. Plain Xlib,
// no Qt; the header names no Xlib macro, so Qt code may include it.
#pragma once
#include <string>
#include <vector>

#include "linux/adapters/saved_lamps.h"
#include "ports.h"

struct _XDisplay;
typedef struct _XDisplay Display;

namespace vr::lx {

// The Caps and Num indicators normally follow their modifiers and refuse explicit changes: during an alert their
// maps (and Scroll's) are replaced by maps that follow nothing and take explicit changes, and put back at
// release. The maps saved are kept in a file too, from before they are replaced until they are back.
//
// The display belongs to the caller, who opens it and closes it after this object is gone; every call is made
// on the thread that uses the display.
class XkbLamps final : public Lamps {
public:
    // Puts back the maps the file holds, if it exists: an earlier run was killed during an alert.
    XkbLamps(Display* display, std::string savedMapsFile);
    ~XkbLamps() override;  // releases an alert still shown
    XkbLamps(const XkbLamps&) = delete;
    XkbLamps& operator=(const XkbLamps&) = delete;

    // xkbIndicators when the server has XKB and its keyboard names the Caps, Num and Scroll Lock indicators.
    LampRoute route() override;
    // Sends the maps and the three lamps each time, so a lamp something else repainted is right again.
    void show(LockStates lamps) override;
    // Every explicit lamp off, then the saved maps back (the other order leaves a lamp lit for good), then the
    // lamps that held a lock's state by themselves lit again; the file goes.
    void release() override;
    // Why route() is none; empty otherwise.
    const std::string& why() const { return why_; }

private:
    bool findIndicators();
    bool saveMaps();
    void restore(const std::vector<SavedLamp>& lamps);
    void repair();

    Display* display_;
    std::string file_;
    std::string why_;
    bool usable_ = false;
    bool replaced_ = false;         // the maps are ours until release
    std::vector<SavedLamp> saved_;  // the maps as they were before the alert
};

}  // namespace vr::lx
