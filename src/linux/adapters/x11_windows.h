// The X11 adapter of the Windows port: the window manager's client list and the properties the clients keep on
// their windows, read from the server alone. No request here waits for another client, so a hung program costs
// nothing. Plain Xlib, no Qt; the header names no Xlib macro, so Qt code may include it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports.h"

struct _XDisplay;
typedef struct _XDisplay Display;

namespace vr::lx {

using XWindow = unsigned long;  // Xlib's Window (an XID)

// Catches the X errors of one display while it lives, instead of Xlib's default handler, which ends the program:
// a window may go away between any two requests. The handler is the process's one Xlib handler, so the trap
// restores the one before it, passes on the errors of other displays, and is meant for one thread at a time
// (the program's user-interface thread).
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    // Whether a request made since the trap was set has failed; waits for the server's answers first.
    bool failed();

    // Called by the Xlib handler the trap installs, with the XErrorEvent.
    static int onError(Display* display, const void* errorEvent);

private:
    Display* display_;
    unsigned long firstSerial_;
    bool failed_ = false;
    void (*previousHandler_)() = nullptr;  // Xlib's XErrorHandler, as a plain function pointer
    XErrorTrap* previousTrap_;
};

// The top-level client windows in the window manager's order (the root's _NET_CLIENT_LIST); where no window
// manager keeps that list, the root window's children, bottom to top.
std::vector<XWindow> clientWindows(Display* display);

// The display belongs to the caller, who opens it (XOpenDisplay) and closes it after this object is gone; a
// null display gives no windows. Every call is made on the thread that uses the display. The program's own
// windows are those its toolkit's X connection made: ownClient is that connection's resource-id base (0: none
// to leave out), and no lookup, list or fit ever names one of them.
class X11Windows final : public Windows {
public:
    explicit X11Windows(Display* display, std::uint32_t ownClient = 0);

    // The first client in list order whose WM_CLASS class or instance the rule's class fits (letter case
    // ignored), and then whose title fits the pattern, if there is one; 0 for an empty rule.
    WindowHandle find(const WindowRule& rule) override;
    bool fits(WindowHandle window, const WindowRule& rule) override;
    // The window manager iconifies it (ICCCM WM_CHANGE_STATE).
    void minimise(WindowHandle window) override;
    // _NET_CLOSE_WINDOW to the window manager, which closes it as its own close button does. Without a window
    // manager that supports it, WM_DELETE_WINDOW to a window that takes it; a window that does not is left
    // alone, since the one way left, ending its whole X client, is not what a close asks for.
    void close(WindowHandle window) override;
    std::vector<TopLevelWindow> topLevelWindows() override;
    // The class part of WM_CLASS (its second string); "" when the window has none.
    std::optional<std::string> classOf(WindowHandle window) override;
    // The process from _NET_WM_PID (0 when the window does not tell), and in place of a thread the X client that
    // made the window: its resource-id base, the window id without the server's resource-id mask.
    std::optional<WindowOwner> ownerOf(WindowHandle window) override;
    // _NET_WM_NAME (UTF-8), else WM_NAME; at most kRuleTitleChars characters.
    std::optional<std::string> titleOf(WindowHandle window) override;
    OwnerTerms terms() override { return {"Window", "X client (not a thread)"}; }
    std::string reach() override { return "the X11 windows of this desktop"; }

private:
    bool own(XWindow window) const { return ownClient_ != 0 && (window & ~resourceMask_) == ownClient_; }
    bool fits(XWindow window, const RuleMatcher& rule);
    std::optional<std::string> title(XWindow window, std::size_t maxChars);
    struct ClassHint {
        std::string instance, className;
    };
    std::optional<ClassHint> classHint(XWindow window);
    bool supported(const char* atomName);

    Display* display_;
    std::uint32_t ownClient_;
    std::uint32_t resourceMask_ = 0;
};

}  // namespace vr::lx
