#include "linux/wayland/wlr_source.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace vr::wl {

struct WlrSource::Item {
    WlrSource* source;
    WindowHandle window;
    zwlr_foreign_toplevel_handle_v1* proxy;
    Toplevel pending;            // the next done makes it the table's
    bool minimiseAsked = false;  // a minimise is on its way; the sync after it tells whether it was heeded
};

// The protocol's listeners, with access to the source.
struct WlrEvents {
    static void title(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
        static_cast<WlrSource::Item*>(data)->pending.title = title ? title : "";
    }
    static void appId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
        static_cast<WlrSource::Item*>(data)->pending.appId = appId ? appId : "";
    }
    static void outputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void outputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void state(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
        auto* item = static_cast<WlrSource::Item*>(data);
        item->pending.minimised = item->pending.active = false;
        const auto* first = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
            if (first[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED) item->pending.minimised = true;
            if (first[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) item->pending.active = true;
        }
        // A compositor that has ever minimised a window can.
        if (item->pending.minimised) item->source->minimise_ = Ability::yes;
    }
    static void done(void* data, zwlr_foreign_toplevel_handle_v1*) {
        auto* item = static_cast<WlrSource::Item*>(data);
        item->source->commit(item->window, item->pending);
    }
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1* proxy) {
        auto* item = static_cast<WlrSource::Item*>(data);
        WlrSource* source = item->source;
        const WindowHandle window = item->window;
        zwlr_foreign_toplevel_handle_v1_destroy(proxy);
        source->table_.remove(window);
        source->items_.erase(window);  // the item itself: nothing of it is used after this
    }
    static void parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* proxy) {
        auto* source = static_cast<WlrSource*>(data);
        const WindowHandle window = source->table_.add();
        auto item = std::make_unique<WlrSource::Item>(WlrSource::Item{source, window, proxy, {}});
        zwlr_foreign_toplevel_handle_v1_add_listener(proxy, &kHandle, item.get());
        source->items_[window] = std::move(item);
    }
    static void finished(void* data, zwlr_foreign_toplevel_manager_v1*) {
        auto* source = static_cast<WlrSource*>(data);
        source->finished_ = true;
        source->gone();
    }

    // The sync sent after a minimise: by now the compositor has said whatever it did about the window.
    static void minimiseAnswered(void* data, wl_callback* callback, std::uint32_t) {
        auto* source = static_cast<WlrSource*>(data);
        std::erase(source->syncs_, callback);
        wl_callback_destroy(callback);
        for (auto& [window, item] : source->items_) {
            if (!item->minimiseAsked) continue;
            item->minimiseAsked = false;
            const Toplevel* now = source->table_.get(window);
            if (now && !now->minimised && source->minimise_ == Ability::unknown) source->minimise_ = Ability::no;
        }
    }

    static constexpr zwlr_foreign_toplevel_handle_v1_listener kHandle = {title, appId, outputEnter, outputLeave,
                                                                          state, done,  closed, parent};
    static constexpr zwlr_foreign_toplevel_manager_v1_listener kManager = {toplevel, finished};
    static constexpr wl_callback_listener kSync = {minimiseAnswered};
};

WlrSource::WlrSource(std::unique_ptr<WaylandConnection> connection) : connection_(std::move(connection)) {
    const Global* global = connection_->global(kInterface);
    if (!global || global->version < kLeastVersion) return;
    manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
        connection_->registry(), global->name, &zwlr_foreign_toplevel_manager_v1_interface,
        std::min<std::uint32_t>(global->version, 3)));
    zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &WlrEvents::kManager, this);
    // The compositor answers the bind with every toplevel and its description.
    connection_->roundtrip();
}

WlrSource::~WlrSource() {
    for (wl_callback* sync : syncs_) wl_callback_destroy(sync);
    for (auto& [window, item] : items_) zwlr_foreign_toplevel_handle_v1_destroy(item->proxy);
    if (manager_) zwlr_foreign_toplevel_manager_v1_destroy(manager_);
}

void WlrSource::gone() {
    table_.clear();
    for (auto& [window, item] : items_) zwlr_foreign_toplevel_handle_v1_destroy(item->proxy);
    items_.clear();
}

bool WlrSource::dispatch() {
    const bool alive = connection_->dispatch();
    if (!alive) gone();
    return alive && !finished_;
}

SourceStatus WlrSource::status() const {
    if (!manager_ || finished_ || !connection_->connected())
        return {SourceKind::none, NoSource::lost, "The compositor no longer lists its windows.", {}, {}, {}};
    return {SourceKind::wlroots, NoSource::none, "", minimise_, Ability::yes, Ability::no};
}

void WlrSource::minimise(WindowHandle window) {
    const auto item = items_.find(window);
    if (item == items_.end()) return;
    zwlr_foreign_toplevel_handle_v1_set_minimized(item->second->proxy);
    if (minimise_ == Ability::unknown) {
        item->second->minimiseAsked = true;
        syncs_.push_back(wl_display_sync(connection_->display()));
        wl_callback_add_listener(syncs_.back(), &WlrEvents::kSync, this);
    }
    connection_->flush();
}

void WlrSource::close(WindowHandle window) {
    const auto item = items_.find(window);
    if (item == items_.end()) return;
    zwlr_foreign_toplevel_handle_v1_close(item->second->proxy);
    connection_->flush();
}

}  // namespace vr::wl
