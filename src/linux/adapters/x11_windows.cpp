#include "linux/adapters/x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <map>

#include "linux/adapters/case_fold.h"
#include "match/text.h"

namespace vr::lx {

static_assert(sizeof(WindowHandle) >= sizeof(::Window), "a handle carries the whole window id");

namespace {

XErrorTrap* g_trap = nullptr;  // the innermost trap set on this thread

int trapHandler(Display* display, XErrorEvent* event) { return XErrorTrap::onError(display, event); }

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }  // cached by Xlib

// A property as the server holds it. Format-32 items come as longs, as Xlib gives them.
struct Property {
    Atom type = None;
    int format = 0;
    std::string bytes;         // format 8
    std::vector<long> longs;   // format 32
};

// At most maxLongs 32-bit units of the property; nothing when the request fails (the window is gone).
std::optional<Property> readProperty(Display* display, ::Window window, Atom name, long maxLongs) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, maxLongs, False, AnyPropertyType, &type, &format, &items,
                           &after, &data) != Success)
        return std::nullopt;
    Property property{type, format, {}, {}};
    if (data && format == 8) property.bytes.assign(reinterpret_cast<const char*>(data), items);
    if (data && format == 32) {
        const long* values = reinterpret_cast<const long*>(data);
        property.longs.assign(values, values + items);
    }
    if (data) XFree(data);
    return property;
}

std::string latin1ToUtf8(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (u >> 6));
            utf8 += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return utf8;
}

// A window manager that keeps the EWMH lists runs: its check window exists and names itself. The properties
// on the root outlive a window manager that has ended, so they alone do not tell. Once found, the check window
// is watched for its end (an event the connection collects with the replies), so a scan asks the server again
// only after a window manager has gone.
bool ewmhManagerRuns(Display* display) {
    static std::map<Display*, ::Window> checkWindows;  // per connection; 0: none found
    ::Window& watched = checkWindows[display];
    XEvent gone;
    if (watched != 0 && !XCheckTypedWindowEvent(display, watched, DestroyNotify, &gone)) return true;
    watched = 0;
    const Atom check = atom(display, "_NET_SUPPORTING_WM_CHECK");
    const auto onRoot = readProperty(display, DefaultRootWindow(display), check, 1);
    if (!onRoot || onRoot->type != XA_WINDOW || onRoot->longs.empty()) return false;
    const auto child = static_cast<::Window>(onRoot->longs[0]);
    XSelectInput(display, child, StructureNotifyMask);
    const auto onChild = readProperty(display, child, check, 1);
    if (!onChild || onChild->type != XA_WINDOW || onChild->longs.empty() ||
        static_cast<::Window>(onChild->longs[0]) != child)
        return false;
    watched = child;
    return true;
}

constexpr long kMostClients = 1 << 16;

}  // namespace

XErrorTrap::XErrorTrap(Display* display)
    : display_(display), firstSerial_(display ? NextRequest(display) : 0), previousTrap_(g_trap) {
    previousHandler_ = reinterpret_cast<void (*)()>(XSetErrorHandler(trapHandler));
    g_trap = this;
}

namespace {

// Whether every request sent has been answered: the server handles requests in order, so once the last one's
// reply is in (a property read), the errors of all before it are in too, and no sync is needed.
bool allAnswered(Display* display) { return LastKnownRequestProcessed(display) + 1 >= NextRequest(display); }

}  // namespace

XErrorTrap::~XErrorTrap() {
    // The errors of the last requests come in while the trap still holds.
    if (display_ && !allAnswered(display_)) XSync(display_, False);
    g_trap = previousTrap_;
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(previousHandler_));
}

bool XErrorTrap::failed() {
    if (display_ && !allAnswered(display_)) XSync(display_, False);
    return failed_;
}

int XErrorTrap::onError(Display* display, const void* errorEvent) {
    const auto* event = static_cast<const XErrorEvent*>(errorEvent);
    XErrorTrap* outermost = nullptr;
    for (XErrorTrap* trap = g_trap; trap; trap = trap->previousTrap_) {
        if (trap->display_ == display) {
            if (event->serial >= trap->firstSerial_) trap->failed_ = true;
            return 0;
        }
        outermost = trap;
    }
    // Another display's error: whoever handled errors before the traps handles it.
    const auto previous = outermost ? reinterpret_cast<XErrorHandler>(outermost->previousHandler_) : nullptr;
    return previous && previous != trapHandler ? previous(display, const_cast<XErrorEvent*>(event)) : 0;
}

std::vector<XWindow> clientWindows(Display* display) {
    if (!display) return {};
    XErrorTrap trap(display);
    const ::Window root = DefaultRootWindow(display);
    if (ewmhManagerRuns(display)) {
        const auto list = readProperty(display, root, atom(display, "_NET_CLIENT_LIST"), kMostClients);
        if (list && list->type == XA_WINDOW) return {list->longs.begin(), list->longs.end()};
    }
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return {};
    std::vector<XWindow> windows(children, children + count);
    if (children) XFree(children);
    return windows;
}

X11Windows::X11Windows(Display* display, std::uint32_t ownClient) : display_(display), ownClient_(ownClient) {
    // The server gives every client the same mask, so this connection's own setup tells it.
    if (display_) resourceMask_ = xcb_get_setup(XGetXCBConnection(display_))->resource_id_mask;
}

std::optional<std::string> X11Windows::title(XWindow window, std::size_t maxChars) {
    if (!display_) return std::nullopt;
    XErrorTrap trap(display_);
    const long longs = static_cast<long>(maxChars);  // four bytes hold the longest UTF-8 character
    const Atom utf8 = atom(display_, "UTF8_STRING");
    const auto netName = readProperty(display_, window, atom(display_, "_NET_WM_NAME"), longs);
    if (!netName) return std::nullopt;
    if (netName->type == utf8 && netName->format == 8) return cutToChars(netName->bytes, maxChars);
    const auto name = readProperty(display_, window, XA_WM_NAME, longs);
    if (!name) return std::nullopt;
    if (name->format != 8 || name->type == None) return std::string();
    if (name->type == XA_STRING) return cutToChars(latin1ToUtf8(name->bytes), maxChars);
    if (name->type == utf8) return cutToChars(name->bytes, maxChars);
    // COMPOUND_TEXT and the like: Xlib converts them.
    XTextProperty text{reinterpret_cast<unsigned char*>(const_cast<char*>(name->bytes.data())), name->type, 8,
                       name->bytes.size()};
    char** list = nullptr;
    int count = 0;
    std::string converted;
    if (Xutf8TextPropertyToTextList(display_, &text, &list, &count) >= Success && list) {
        if (count > 0 && list[0]) converted = list[0];
        XFreeStringList(list);
    }
    return cutToChars(converted, maxChars);
}

std::optional<X11Windows::ClassHint> X11Windows::classHint(XWindow window) {
    if (!display_) return std::nullopt;
    XErrorTrap trap(display_);
    const auto property = readProperty(display_, window, XA_WM_CLASS, 2 * kClassChars + 2);
    if (!property) return std::nullopt;
    ClassHint hint;
    if (property->format != 8) return hint;
    const std::string& bytes = property->bytes;  // "instance\0class\0", Latin-1
    const std::size_t end = std::min(bytes.find('\0'), bytes.size());
    hint.instance = cutToChars(latin1ToUtf8(bytes.substr(0, end)), kClassChars);
    if (end < bytes.size()) hint.className = cutToChars(latin1ToUtf8(bytes.substr(end + 1)), kClassChars);
    return hint;
}

bool X11Windows::supported(const char* atomName) {
    if (!ewmhManagerRuns(display_)) return false;
    const auto list =
        readProperty(display_, DefaultRootWindow(display_), atom(display_, "_NET_SUPPORTED"), kMostClients);
    const Atom wanted = atom(display_, atomName);
    return list && list->type == XA_ATOM &&
           std::find(list->longs.begin(), list->longs.end(), static_cast<long>(wanted)) != list->longs.end();
}

WindowHandle X11Windows::find(const WindowRule& rule) {
    if (rule.empty()) return 0;
    const RuleMatcher matcher(rule, foldCase);
    for (const XWindow window : clientWindows(display_))
        if (fits(window, matcher)) return window;
    return 0;
}

bool X11Windows::fits(WindowHandle handle, const WindowRule& rule) {
    return fits(static_cast<XWindow>(handle), RuleMatcher(rule, foldCase));
}

bool X11Windows::fits(XWindow window, const RuleMatcher& rule) {
    if (own(window)) return false;
    // The class first, which costs less than a title. A window that is gone has none.
    const auto hint = classHint(window);
    if (!hint) return false;
    if (rule.checksClass() && !(rule.fitsClass(std::string_view(hint->className)) ||
                                rule.fitsClass(std::string_view(hint->instance))))
        return false;
    if (rule.checksTitle()) {
        const auto held = title(window, kRuleTitleChars);
        if (!held || !rule.fitsTitle(std::string_view(*held))) return false;
    }
    return true;
}

void X11Windows::minimise(WindowHandle window) {
    if (!display_) return;
    XErrorTrap trap(display_);
    XIconifyWindow(display_, static_cast<::Window>(window), DefaultScreen(display_));
    XFlush(display_);
}

void X11Windows::close(WindowHandle window) {
    if (!display_) return;
    XErrorTrap trap(display_);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<::Window>(window);
    event.xclient.format = 32;
    if (supported("_NET_CLOSE_WINDOW")) {
        event.xclient.message_type = atom(display_, "_NET_CLOSE_WINDOW");
        event.xclient.data.l[0] = CurrentTime;
        event.xclient.data.l[1] = 2;  // the source: a program acting for the user, as a pager does
        XSendEvent(display_, DefaultRootWindow(display_), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    } else {
        const Atom deleteWindow = atom(display_, "WM_DELETE_WINDOW");
        Atom* protocols = nullptr;
        int count = 0;
        bool takesDelete = false;
        if (XGetWMProtocols(display_, event.xclient.window, &protocols, &count) && protocols) {
            takesDelete = std::find(protocols, protocols + count, deleteWindow) != protocols + count;
            XFree(protocols);
        }
        if (takesDelete) {
            event.xclient.message_type = atom(display_, "WM_PROTOCOLS");
            event.xclient.data.l[0] = static_cast<long>(deleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display_, event.xclient.window, False, NoEventMask, &event);
        }
    }
    XFlush(display_);
}

std::vector<TopLevelWindow> X11Windows::topLevelWindows() {
    std::vector<TopLevelWindow> windows;
    for (const XWindow window : clientWindows(display_)) {
        if (own(window)) continue;
        auto held = title(window, kTitleChars);
        if (held) windows.push_back({window, std::move(*held)});
    }
    return windows;
}

std::optional<std::string> X11Windows::classOf(WindowHandle window) {
    auto hint = classHint(static_cast<XWindow>(window));
    if (!hint) return std::nullopt;
    return std::move(hint->className);
}

std::optional<WindowOwner> X11Windows::ownerOf(WindowHandle window) {
    if (!display_) return std::nullopt;
    XErrorTrap trap(display_);
    const auto pid = readProperty(display_, static_cast<::Window>(window), atom(display_, "_NET_WM_PID"), 1);
    if (!pid) return std::nullopt;
    const std::uint32_t process =
        pid->type == XA_CARDINAL && !pid->longs.empty() ? static_cast<std::uint32_t>(pid->longs[0]) : 0;
    return WindowOwner{process, static_cast<std::uint32_t>(window) & ~resourceMask_};
}

std::optional<std::string> X11Windows::titleOf(WindowHandle window) {
    return title(static_cast<XWindow>(window), kRuleTitleChars);
}

}  // namespace vr::lx
