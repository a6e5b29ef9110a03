#include "linux/wayland/wayland_connection.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>

namespace vr::wl {

namespace {

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
        static_cast<std::vector<Global>*>(data)->push_back({name, interface, version});
        (void)registry;
    },
    [](void* data, wl_registry*, std::uint32_t name) {
        std::erase_if(*static_cast<std::vector<Global>*>(data), [&](const Global& g) { return g.name == name; });
    },
};

void onSyncDone(void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }
const wl_callback_listener kSyncListener = {onSyncDone};

}  // namespace

WaylandConnection::WaylandConnection(std::chrono::milliseconds limit) {
    display_ = wl_display_connect(nullptr);
    if (!display_) return;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, &globals_);
    if (!roundtrip(limit)) lost_ = true;
}

WaylandConnection::~WaylandConnection() {
    if (registry_) wl_registry_destroy(registry_);
    if (display_) wl_display_disconnect(display_);
}

const Global* WaylandConnection::global(const std::string& interface) const {
    const auto it = std::find_if(globals_.begin(), globals_.end(), [&](const Global& g) { return g.interface == interface; });
    return it == globals_.end() ? nullptr : &*it;
}

bool WaylandConnection::roundtrip(std::chrono::milliseconds limit) {
    if (!connected()) return false;
    bool done = false;
    wl_callback* sync = wl_display_sync(display_);
    wl_callback_add_listener(sync, &kSyncListener, &done);
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done) {
        bool prepared = false;
        while (!(prepared = wl_display_prepare_read(display_) == 0))
            if (wl_display_dispatch_pending(display_) < 0) break;
        if (!prepared) break;  // the connection failed while handling what was queued
        if (done || wl_display_get_error(display_)) {
            wl_display_cancel_read(display_);
            break;
        }
        wl_display_flush(display_);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd watched{wl_display_get_fd(display_), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
            wl_display_cancel_read(display_);
            break;
        }
        if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0) break;
    }
    // A late answer goes to a proxy that is gone, which libwayland drops.
    wl_callback_destroy(sync);
    if (wl_display_get_error(display_)) lost_ = true;
    return done && !lost_;
}

bool WaylandConnection::dispatch() {
    if (!connected()) return false;
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0) return !(lost_ = true);
    // The socket is read without waiting: nothing there is not an error.
    if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0) return !(lost_ = true);
    flush();
    return connected();
}

void WaylandConnection::flush() {
    if (!connected()) return;
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) lost_ = true;
}

int WaylandConnection::fd() const { return connected() ? wl_display_get_fd(display_) : -1; }

}  // namespace vr::wl
