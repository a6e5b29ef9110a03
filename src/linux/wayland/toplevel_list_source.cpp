#include "linux/wayland/toplevel_list_source.h"

#include <wayland-client.h>

#include "ext-foreign-toplevel-list-v1-client-protocol.h"

namespace vr::wl {

struct ToplevelListSource::Item {
    ToplevelListSource* source;
    WindowHandle window;
    ext_foreign_toplevel_handle_v1* proxy;
    Toplevel pending;
};

struct ListEvents {
    using Item = ToplevelListSource::Item;
    static void closed(void* data, ext_foreign_toplevel_handle_v1* proxy) {
        auto* item = static_cast<Item*>(data);
        ToplevelListSource* source = item->source;
        const WindowHandle window = item->window;
        ext_foreign_toplevel_handle_v1_destroy(proxy);
        source->table_.remove(window);
        source->items_.erase(window);
    }
    static void done(void* data, ext_foreign_toplevel_handle_v1*) {
        auto* item = static_cast<Item*>(data);
        item->source->commit(item->window, item->pending);
    }
    static void title(void* data, ext_foreign_toplevel_handle_v1*, const char* title) {
        static_cast<Item*>(data)->pending.title = title ? title : "";
    }
    static void appId(void* data, ext_foreign_toplevel_handle_v1*, const char* appId) {
        static_cast<Item*>(data)->pending.appId = appId ? appId : "";
    }
    static void identifier(void*, ext_foreign_toplevel_handle_v1*, const char*) {}

    static void toplevel(void* data, ext_foreign_toplevel_list_v1*, ext_foreign_toplevel_handle_v1* proxy) {
        auto* source = static_cast<ToplevelListSource*>(data);
        const WindowHandle window = source->table_.add();
        auto item = std::make_unique<Item>(Item{source, window, proxy, {}});
        ext_foreign_toplevel_handle_v1_add_listener(proxy, &kHandle, item.get());
        source->items_[window] = std::move(item);
    }
    static void finished(void* data, ext_foreign_toplevel_list_v1*) {
        auto* source = static_cast<ToplevelListSource*>(data);
        source->finished_ = true;
        source->gone();
    }

    static constexpr ext_foreign_toplevel_handle_v1_listener kHandle = {closed, done, title, appId, identifier};
    static constexpr ext_foreign_toplevel_list_v1_listener kList = {toplevel, finished};
};

ToplevelListSource::ToplevelListSource(std::unique_ptr<WaylandConnection> connection)
    : connection_(std::move(connection)) {
    const Global* global = connection_->global(kInterface);
    if (!global) return;
    list_ = static_cast<ext_foreign_toplevel_list_v1*>(
        wl_registry_bind(connection_->registry(), global->name, &ext_foreign_toplevel_list_v1_interface, 1));
    ext_foreign_toplevel_list_v1_add_listener(list_, &ListEvents::kList, this);
    connection_->roundtrip();
}

ToplevelListSource::~ToplevelListSource() {
    gone();
    if (list_) ext_foreign_toplevel_list_v1_destroy(list_);
}

void ToplevelListSource::gone() {
    table_.clear();
    for (auto& [window, item] : items_) ext_foreign_toplevel_handle_v1_destroy(item->proxy);
    items_.clear();
}

bool ToplevelListSource::dispatch() {
    const bool alive = connection_->dispatch();
    if (!alive) gone();
    return alive && !finished_;
}

SourceStatus ToplevelListSource::status() const {
    if (!list_ || finished_ || !connection_->connected())
        return {SourceKind::none, NoSource::lost, "The compositor no longer lists its windows.", {}, {}, {}};
    return {SourceKind::toplevelList, NoSource::none,
            "The compositor lists its windows but lets no program minimise or close them.", Ability::no,
            Ability::no, Ability::no};
}

}  // namespace vr::wl
