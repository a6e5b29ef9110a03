#include "linux/wayland/plasma_source.h"

#include <wayland-client.h>

#include <algorithm>

#include "plasma-window-management-client-protocol.h"

namespace vr::wl {

struct PlasmaSource::Item {
    PlasmaSource* source;
    WindowHandle window;
    org_kde_plasma_window* proxy;
    Toplevel now;
    bool described = false;  // the initial state has come: from here on every change counts at once
};

namespace {

// The window's destroy request came with version 4; before that the proxy is only let go.
void release(org_kde_plasma_window* proxy, std::uint32_t version) {
    if (version >= ORG_KDE_PLASMA_WINDOW_DESTROY_SINCE_VERSION)
        org_kde_plasma_window_destroy(proxy);
    else
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(proxy));
}

}  // namespace

struct PlasmaEvents {
    using Item = PlasmaSource::Item;
    // KWin sends each change on its own, with no done: a change is committed as it comes, once the window has
    // been described in full.
    static void changed(Item* item) {
        if (item->described) item->source->commit(item->window, item->now);
    }
    static void title(void* data, org_kde_plasma_window*, const char* title) {
        auto* item = static_cast<Item*>(data);
        item->now.title = title ? title : "";
        changed(item);
    }
    static void appId(void* data, org_kde_plasma_window*, const char* appId) {
        auto* item = static_cast<Item*>(data);
        item->now.appId = appId ? appId : "";
        changed(item);
    }
    static void state(void* data, org_kde_plasma_window*, std::uint32_t flags) {
        auto* item = static_cast<Item*>(data);
        item->now.minimised = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED;
        item->now.active = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
        item->now.attention = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_DEMANDS_ATTENTION;
        changed(item);
    }
    static void pid(void* data, org_kde_plasma_window*, std::uint32_t pid) {
        auto* item = static_cast<Item*>(data);
        item->now.pid = pid;
        changed(item);
    }
    static void resourceName(void* data, org_kde_plasma_window*, const char* name) {
        auto* item = static_cast<Item*>(data);
        item->now.className = name ? name : "";
        changed(item);
    }
    static void initialState(void* data, org_kde_plasma_window*) {
        auto* item = static_cast<Item*>(data);
        item->described = true;
        changed(item);
    }
    static void unmapped(void* data, org_kde_plasma_window* proxy) {
        auto* item = static_cast<Item*>(data);
        PlasmaSource* source = item->source;
        const WindowHandle window = item->window;
        release(proxy, source->version_);
        source->table_.remove(window);
        source->items_.erase(window);
    }
    static void virtualDesktop(void*, org_kde_plasma_window*, std::int32_t) {}
    static void text(void*, org_kde_plasma_window*, const char*) {}
    static void parentWindow(void*, org_kde_plasma_window*, org_kde_plasma_window*) {}
    static void geometry(void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t) {}
    static void nothing(void*, org_kde_plasma_window*) {}
    static void applicationMenu(void*, org_kde_plasma_window*, const char*, const char*) {}

    static void showDesktop(void*, org_kde_plasma_window_management*, std::uint32_t) {}
    static void window(void* data, org_kde_plasma_window_management* manager, std::uint32_t id) {
        auto* source = static_cast<PlasmaSource*>(data);
        // From version 13 on every window comes again with its uuid, which is what the compositor keeps.
        if (source->version_ < ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION)
            source->track(org_kde_plasma_window_management_get_window(manager, id));
    }
    static void stackingOrder(void*, org_kde_plasma_window_management*, wl_array*) {}
    static void stackingOrderUuid(void*, org_kde_plasma_window_management*, const char*) {}
    static void windowWithUuid(void* data, org_kde_plasma_window_management* manager, std::uint32_t,
                               const char* uuid) {
        static_cast<PlasmaSource*>(data)->track(org_kde_plasma_window_management_get_window_by_uuid(manager, uuid));
    }

    static constexpr org_kde_plasma_window_listener kWindow = {
        .title_changed = title,
        .app_id_changed = appId,
        .state_changed = state,
        .virtual_desktop_changed = virtualDesktop,
        .themed_icon_name_changed = text,
        .unmapped = unmapped,
        .initial_state = initialState,
        .parent_window = parentWindow,
        .geometry = geometry,
        .icon_changed = nothing,
        .pid_changed = pid,
        .virtual_desktop_entered = text,
        .virtual_desktop_left = text,
        .application_menu = applicationMenu,
        .activity_entered = text,
        .activity_left = text,
        .resource_name_changed = resourceName,
    };
    static constexpr org_kde_plasma_window_management_listener kManager = {
        .show_desktop_changed = showDesktop,
        .window = window,
        .stacking_order_changed = stackingOrder,
        .stacking_order_uuid_changed = stackingOrderUuid,
        .window_with_uuid = windowWithUuid,
    };
};

PlasmaSource::PlasmaSource(std::unique_ptr<WaylandConnection> connection) : connection_(std::move(connection)) {
    const Global* global = connection_->global(kInterface);
    if (!global) return;
    version_ = std::min<std::uint32_t>(global->version, org_kde_plasma_window_management_interface.version);
    manager_ = static_cast<org_kde_plasma_window_management*>(
        wl_registry_bind(connection_->registry(), global->name, &org_kde_plasma_window_management_interface, version_));
    org_kde_plasma_window_management_add_listener(manager_, &PlasmaEvents::kManager, this);
    // The first exchange names the windows; the second brings each one's initial state.
    if (connection_->roundtrip()) connection_->roundtrip();
}

PlasmaSource::~PlasmaSource() {
    gone();
    if (manager_) org_kde_plasma_window_management_destroy(manager_);
}

void PlasmaSource::track(org_kde_plasma_window* proxy) {
    const WindowHandle window = table_.add();
    auto item = std::make_unique<Item>(Item{this, window, proxy, {}});
    org_kde_plasma_window_add_listener(proxy, &PlasmaEvents::kWindow, item.get());
    items_[window] = std::move(item);
}

void PlasmaSource::gone() {
    table_.clear();
    for (auto& [window, item] : items_) release(item->proxy, version_);
    items_.clear();
}

bool PlasmaSource::dispatch() {
    const bool alive = connection_->dispatch();
    if (!alive) gone();
    return alive;
}

SourceStatus PlasmaSource::status() const {
    if (!manager_ || !connection_->connected())
        return {SourceKind::none, NoSource::lost, "KWin no longer lists its windows.", {}, {}, {}};
    return {SourceKind::plasma, NoSource::none, "", Ability::yes, Ability::yes, Ability::yes};
}

void PlasmaSource::minimise(WindowHandle window) {
    const auto item = items_.find(window);
    if (item == items_.end()) return;
    org_kde_plasma_window_set_state(item->second->proxy, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED,
                                    ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED);
    connection_->flush();
}

void PlasmaSource::close(WindowHandle window) {
    const auto item = items_.find(window);
    if (item == items_.end()) return;
    org_kde_plasma_window_close(item->second->proxy);
    connection_->flush();
}

}  // namespace vr::wl
