// The X11 adapter of the Attention port: a client window asks for the user's attention when its _NET_WM_STATE
// gains _NET_WM_STATE_DEMANDS_ATTENTION (the window manager sets it for the program) or its WM_HINTS gain the
// urgency hint. Plain Xlib, no Qt.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "ports.h"

struct _XDisplay;
typedef struct _XDisplay Display;

namespace vr::lx {

// Watches the clients' properties on a connection of its own, so that its events are nobody else's: the caller
// opens that display, hands it over before any other use of it, and closes it after this object is gone. The
// owner's event loop watches fd() and calls processEvents() whenever it is readable. Nothing is watched until
// listen asks for it, and nothing once it stops: an idle program pays for no client's property changes. A null
// display reports nothing and says why in attentionUnavailable().
class X11Attention final : public WindowEvents {
public:
    explicit X11Attention(Display* display);
    std::optional<std::string> attentionUnavailable() override;
    void listen(bool changes, bool attention) override;
    int fd() const;  // the connection's socket; -1 without a display
    // Takes every event the connection holds and calls onAttention for each window that has just begun to ask:
    // once as it begins, not again while it keeps asking, and again when it asks anew after it had stopped.
    void processEvents();

    std::function<void(WindowHandle)> onAttention;

private:
    void watchClients();  // follows the client list: watches new windows, forgets gone ones
    bool asks(unsigned long window);
    void look(unsigned long window);

    void select(long rootMask, long clientMask);

    Display* display_;
    bool attention_ = false;
    std::map<unsigned long, bool> asking_;  // the watched windows, and whether each asked at the last look
};

}  // namespace vr::lx
