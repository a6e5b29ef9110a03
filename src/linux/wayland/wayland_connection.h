// One connection to the Wayland compositor and the globals it offers, for the window sources. Plain
// libwayland-client; nothing here waits longer than the bounded start-up exchanges.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;

namespace vr::wl {

struct Global {
    std::uint32_t name;
    std::string interface;
    std::uint32_t version;
};

class WaylandConnection {
public:
    // Connects to the display WAYLAND_DISPLAY names (or the default one) and learns its globals; connected()
    // says whether that worked. A compositor that does not answer within the limit counts as none.
    explicit WaylandConnection(std::chrono::milliseconds limit = std::chrono::milliseconds(1000));
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    bool connected() const { return display_ != nullptr && !lost_; }
    wl_display* display() const { return display_; }
    wl_registry* registry() const { return registry_; }
    const std::vector<Global>& globals() const { return globals_; }
    const Global* global(const std::string& interface) const;  // the first of that interface; null if none

    // Every request sent so far answered and every event they caused handled, or the limit reached (false,
    // also when the connection has gone).
    bool roundtrip(std::chrono::milliseconds limit = std::chrono::milliseconds(1000));
    // Reads what the socket holds without waiting, handles it, and sends what is queued; false once the
    // connection has gone.
    bool dispatch();
    void flush();  // sends the requests queued; never waits (what does not fit goes with the next dispatch)
    int fd() const;  // -1 once the connection has gone

private:
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    std::vector<Global> globals_;
    bool lost_ = false;
};

}  // namespace vr::wl
