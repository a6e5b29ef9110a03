// The toplevels a Wayland window source has been told of, as the program's Windows port sees them: the app id
// plays the part of the class. No Wayland header here: the sources fill it from their protocols, and it is
// tested without a compositor.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports.h"

namespace vr::wl {

// A Wayland toplevel's handle has the top bit of 32 set, which no X window's id has (X keeps the top three bits
// of every id clear), so handles from both sources can be told apart and never collide.
constexpr WindowHandle kWaylandHandleBit = 0x80000000u;
constexpr bool isWaylandHandle(WindowHandle window) { return (window & kWaylandHandleBit) != 0; }

// One toplevel as its source last described it in full.
struct Toplevel {
    std::string appId;      // the class for rules, the survey and the pick; "" when the client set none
    std::string className;  // a second name the window answers to (an X11 class, a resource name); may be ""
    std::string title;
    std::uint32_t pid = 0;  // 0: the source does not tell
    bool minimised = false;
    bool active = false;     // has the focus, where the source tells
    bool attention = false;  // demands attention, or urgent
    bool operator==(const Toplevel&) const = default;
};

class ToplevelTable {
public:
    // What a commit changed, for the events the program listens to.
    struct Changes {
        bool appeared = false;     // the first full description of the toplevel
        bool renamed = false;      // its title, app id or class differs from the last one
        bool beganAsking = false;  // it asks for attention and did not at the last commit (or is new and asks)
    };

    // A handle for a toplevel the source has just heard of; it is listed from its first commit on.
    WindowHandle add();
    // The toplevel's full description as of now; nothing for a handle that is not in the table.
    Changes commit(WindowHandle window, const Toplevel& now);
    void remove(WindowHandle window);
    void clear();

    const Toplevel* get(WindowHandle window) const;  // null for a removed handle or one never committed
    std::vector<WindowHandle> listed() const;        // the committed toplevels, in the order they appeared

private:
    struct Entry {
        std::uint64_t order;
        std::optional<Toplevel> state;  // nothing until the first commit
    };
    std::map<WindowHandle, Entry> entries_;
    std::uint32_t next_ = 1;
    std::uint64_t order_ = 0;
};

}  // namespace vr::wl
