#include "linux/adapters/x11_window_events.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <set>

namespace vr::lx {

namespace {

std::uint64_t nowMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }  // cached by Xlib

// The root tells of a changed client list (a window manager's) and of new, mapped and gone children (none's);
// each client of a changed title, class, state or hints.
constexpr long kRootMask = PropertyChangeMask | SubstructureNotifyMask;
constexpr long kClientMask = PropertyChangeMask;

}  // namespace

X11WindowEvents::X11WindowEvents(Display* display) : display_(display) {}

std::optional<std::string> X11WindowEvents::attentionUnavailable() {
    if (!display_) return "There is no X display to watch.";
    return std::nullopt;
}

void X11WindowEvents::listen(bool changes, bool attention) {
    if (!display_ || (changes == changes_ && attention == attention_)) return;
    const bool was = changes_ || attention_, attentionBegins = attention && !attention_;
    changes_ = changes;
    attention_ = attention;
    if (!changes) rounds_.clear();  // what waited for a round is of no interest now
    XErrorTrap trap(display_);
    if (!changes && !attention) {
        XSelectInput(display_, DefaultRootWindow(display_), NoEventMask);
        for (const auto& [window, asking] : watched_) XSelectInput(display_, window, NoEventMask);
        watched_.clear();
        XSync(display_, True);  // what came in before is of no interest now
        return;
    }
    if (!was) {
        // The root first: a window that comes while the list is read is then told of.
        XSelectInput(display_, DefaultRootWindow(display_), kRootMask);
        watchClients();  // the windows there now are the scan's to find, not news
    }
    // A window that asks already when the watch for attention begins began before it: only its next request counts.
    if (attentionBegins)
        for (auto& [window, asking] : watched_) asking = asks(window);
    XFlush(display_);
}

int X11WindowEvents::fd() const { return display_ ? ConnectionNumber(display_) : -1; }

bool X11WindowEvents::asks(XWindow window) {
    bool demands = false;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom attention = atom(display_, "_NET_WM_STATE_DEMANDS_ATTENTION");
    if (XGetWindowProperty(display_, window, atom(display_, "_NET_WM_STATE"), 0, 64, False, XA_ATOM, &type, &format,
                           &items, &after, &data) == Success &&
        data) {
        if (type == XA_ATOM && format == 32) {
            const long* atoms = reinterpret_cast<const long*>(data);
            demands = std::find(atoms, atoms + items, static_cast<long>(attention)) != atoms + items;
        }
        XFree(data);
    }
    bool urgent = false;
    if (XWMHints* hints = XGetWMHints(display_, window)) {
        urgent = (hints->flags & XUrgencyHint) != 0;
        XFree(hints);
    }
    // The window manager may show the urgency hint in the state as well: one request, whichever way it comes.
    return demands || urgent;
}

bool X11WindowEvents::beginsToAsk(XWindow window) {
    const auto watched = watched_.find(window);
    if (watched == watched_.end()) return false;
    const bool now = asks(window);
    const bool began = now && !watched->second;
    watched->second = now;
    return began;
}

std::vector<XWindow> X11WindowEvents::watchClients() {
    const auto clients = clientWindows(display_);
    const std::set<XWindow> current(clients.begin(), clients.end());
    std::erase_if(watched_, [&](const auto& entry) { return !current.contains(entry.first); });
    std::vector<XWindow> added;
    for (const XWindow window : clients) {
        if (watched_.contains(window)) continue;
        XSelectInput(display_, window, kClientMask);
        watched_[window] = false;  // a new window that asks at once has begun to ask
        added.push_back(window);
    }
    return added;
}

std::optional<unsigned> X11WindowEvents::nextCall() {
    if (!changes_ && !attention_) return std::nullopt;
    // Reading properties (and a trap's own sync) may take events into Xlib's queue, where the socket no longer
    // tells of them.
    if (XEventsQueued(display_, QueuedAlready) > 0) return 0u;
    return rounds_.dueIn(nowMs());
}

std::optional<unsigned> X11WindowEvents::processEvents() {
    if (!display_) return std::nullopt;
    if (!changes_ && !attention_) {
        XSync(display_, True);  // nothing is listened for: drop what is left
        return std::nullopt;
    }
    const ::Window root = DefaultRootWindow(display_);
    const Atom clientList = atom(display_, "_NET_CLIENT_LIST"), state = atom(display_, "_NET_WM_STATE"),
               netName = atom(display_, "_NET_WM_NAME");
    std::set<XWindow> looks;  // windows whose state or hints changed: each looked at once, as it is now
    std::vector<XWindow> began;
    {
        XErrorTrap trap(display_);
        bool listChanged = false;
        for (int taken = 0; taken < kEventsPerCall && XPending(display_); ++taken) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == PropertyNotify && event.xproperty.window == root) {
                listChanged = listChanged || event.xproperty.atom == clientList;
            } else if (event.type == PropertyNotify) {
                const XWindow window = event.xproperty.window;
                const Atom name = event.xproperty.atom;
                if (name == state || name == XA_WM_HINTS) {
                    looks.insert(window);
                } else if (changes_ && (name == netName || name == XA_WM_NAME || name == XA_WM_CLASS) &&
                           watched_.contains(window)) {
                    rounds_.add(window);
                }
            } else if (event.type == MapNotify) {
                // Without a window manager the root's children are the clients; with one, they are its frames.
                if (changes_ && event.xmap.event == root && watched_.contains(event.xmap.window))
                    rounds_.add(event.xmap.window);
            } else if (event.type == CreateNotify || event.type == DestroyNotify || event.type == ReparentNotify) {
                listChanged = true;
            }
        }
        if (listChanged) {
            for (const XWindow window : watchClients()) {
                if (changes_) rounds_.add(window);
                looks.insert(window);
            }
        }
        if (attention_)
            for (const XWindow window : looks)
                if (beginsToAsk(window)) began.push_back(window);
    }
    const auto round = changes_ ? rounds_.take(nowMs()) : std::vector<WindowHandle>{};
    // The callbacks last, each while its kind is still listened for: the form stops listening once a window
    // starts the alert, and what is left of the round is then of no interest.
    for (const XWindow window : began) {
        if (!attention_) break;
        if (onAttention) onAttention(window);
    }
    for (const WindowHandle window : round) {
        if (!changes_) break;
        if (onChange) onChange(window);
    }
    return nextCall();
}

}  // namespace vr::lx
