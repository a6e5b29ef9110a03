#include "linux/adapters/x11_attention.h"

#include "linux/adapters/x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <set>

namespace vr::lx {

X11Attention::X11Attention(Display* display) : display_(display) {}

std::optional<std::string> X11Attention::attentionUnavailable() {
    if (!display_) return "There is no X display to watch.";
    return std::nullopt;
}

void X11Attention::select(long rootMask, long clientMask) {
    XSelectInput(display_, DefaultRootWindow(display_), rootMask);
    for (const auto& [window, asking] : asking_) XSelectInput(display_, window, clientMask);
}

void X11Attention::listen(bool /*changes*/, bool attention) {
    if (!display_ || attention == attention_) return;
    attention_ = attention;
    XErrorTrap trap(display_);
    if (attention) {
        // The root tells of a changed client list (a window manager's) and of new and gone children (none's). A
        // window that asks already when the watch begins began before it: only its next request counts.
        for (const XWindow window : clientWindows(display_)) asking_[window] = asks(window);
        select(PropertyChangeMask | SubstructureNotifyMask, PropertyChangeMask);
    } else {
        select(NoEventMask, NoEventMask);
        asking_.clear();
        XSync(display_, True);  // what came in before is of no interest now
    }
    XFlush(display_);
}

int X11Attention::fd() const { return display_ ? ConnectionNumber(display_) : -1; }

bool X11Attention::asks(unsigned long window) {
    bool demands = false;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom attention = XInternAtom(display_, "_NET_WM_STATE_DEMANDS_ATTENTION", False);
    if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                           &type, &format, &items, &after, &data) == Success &&
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

void X11Attention::look(unsigned long window) {
    const auto watched = asking_.find(window);
    if (watched == asking_.end()) return;
    const bool now = asks(window);
    const bool began = now && !watched->second;
    watched->second = now;
    if (began && onAttention) onAttention(window);
}

void X11Attention::watchClients() {
    const auto clients = clientWindows(display_);
    const std::set<XWindow> current(clients.begin(), clients.end());
    std::erase_if(asking_, [&](const auto& entry) { return !current.contains(entry.first); });
    for (const XWindow window : clients) {
        if (asking_.contains(window)) continue;
        XSelectInput(display_, window, PropertyChangeMask);
        asking_[window] = false;  // a new window that asks at once has begun to ask
        look(window);
    }
}

void X11Attention::processEvents() {
    if (!display_) return;
    if (!attention_) {
        XSync(display_, True);  // nothing is listened for: drop what is left
        return;
    }
    const Atom clientList = XInternAtom(display_, "_NET_CLIENT_LIST", False);
    const Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
    const ::Window root = DefaultRootWindow(display_);
    // Reading the properties (and the trap's own sync) may take further events into Xlib's queue, where the
    // socket no longer tells of them: go on until the queue stays empty.
    do {
        XErrorTrap trap(display_);
        bool listChanged = false;
        std::set<XWindow> changed;
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == PropertyNotify && event.xproperty.window == root) {
                listChanged = listChanged || event.xproperty.atom == clientList;
            } else if (event.type == PropertyNotify) {
                if (event.xproperty.atom == state || event.xproperty.atom == XA_WM_HINTS)
                    changed.insert(event.xproperty.window);
            } else if (event.type == CreateNotify || event.type == DestroyNotify || event.type == ReparentNotify) {
                listChanged = true;
            }
        }
        // Each window is looked at once, as it is now, however many changes came in since the last time.
        if (listChanged) watchClients();
        for (const XWindow window : changed) look(window);
    } while (XPending(display_));
}

}  // namespace vr::lx
