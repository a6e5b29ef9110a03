// The X11 adapter of the WindowEvents port. A client window appeared when the window manager's client list gains
// it (where no window manager keeps one: when a child of the root is created or mapped); it changed when its
// title (_NET_WM_NAME, WM_NAME) or its class (WM_CLASS) changed. It asks for the user's attention when its
// _NET_WM_STATE gains _NET_WM_STATE_DEMANDS_ATTENTION (the window manager sets it for the program) or its
// WM_HINTS gain the urgency hint. Plain Xlib, no Qt.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "linux/adapters/x11_windows.h"
#include "ports.h"
#include "watch/event_rounds.h"

namespace vr::lx {

// Watches the root and the clients' properties on a connection of its own, so that its events are nobody
// else's: the caller opens that display, hands it over before any other use of it, and closes it after this
// object is gone. The owner's event loop calls processEvents() whenever fd() is readable, and again when
// processEvents asks for it. Nothing is selected until listen asks for something, and nothing once it stops: an
// idle program pays for no client's property changes. A null display reports nothing and says why in
// attentionUnavailable().
class X11WindowEvents final : public WindowEvents {
public:
    static constexpr int kEventsPerCall = 1000;  // then the event loop has its turn

    explicit X11WindowEvents(Display* display);
    std::optional<std::string> attentionUnavailable() override;
    void listen(bool changes, bool attention) override;
    int fd() const;  // the connection's socket; -1 without a display

    // Takes the events the connection holds, at most kEventsPerCall, and calls, while they are listened for:
    // onAttention for each window that has just begun to ask (once as it begins, not again while it keeps
    // asking, and again when it asks anew after it had stopped); onChange for each client window that appeared
    // or changed its title or class, once per round however many changes came (rounds as EventRounds deals
    // them). Returns when to call again though the socket tells of nothing new: 0 when events wait in Xlib's
    // queue or windows wait for a round due now, else the milliseconds until their round; nothing when nothing
    // waits.
    std::optional<unsigned> processEvents();

    std::function<void(WindowHandle)> onChange;
    std::function<void(WindowHandle)> onAttention;

private:
    std::vector<XWindow> watchClients();  // follows the client list: watches new windows, forgets gone ones
    bool asks(XWindow window);
    bool beginsToAsk(XWindow window);  // looks at the window and keeps what it saw
    std::optional<unsigned> nextCall();

    Display* display_;
    bool changes_ = false, attention_ = false;
    std::map<XWindow, bool> watched_;  // the watched client windows, and whether each asked at the last look
    EventRounds rounds_;
};

}  // namespace vr::lx
