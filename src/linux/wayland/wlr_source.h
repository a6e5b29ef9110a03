// The window source of wlroots compositors (sway, Hyprland, labwc, river, Wayfire): their foreign toplevel
// manager, version 3 and up. Titles, app ids and states; minimise and close as requests. The protocol has no
// way to ask for attention, and no capabilities: a compositor that ignores minimising is known only once a
// minimise has gone unanswered.
#pragma once
#include <map>
#include <memory>
#include <vector>

#include "linux/wayland/wayland_connection.h"
#include "linux/wayland/window_source.h"

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
struct wl_callback;

namespace vr::wl {

class WlrSource final : public WindowSource {
public:
    static constexpr const char* kInterface = "zwlr_foreign_toplevel_manager_v1";
    static constexpr std::uint32_t kLeastVersion = 3;

    // Binds the manager the connection offers and learns the toplevels there are (bounded exchanges).
    explicit WlrSource(std::unique_ptr<WaylandConnection> connection);
    ~WlrSource() override;

    int fd() const override { return connection_->fd(); }
    bool dispatch() override;
    SourceStatus status() const override;
    // Asks the compositor to minimise it; a compositor that ignores it is then known as one that cannot.
    void minimise(WindowHandle window) override;
    void close(WindowHandle window) override;

    struct Item;  // one toplevel handle and what has been said of it since its last done

private:
    friend struct WlrEvents;
    void gone();  // the connection or the manager has ended: nothing is listed any more

    std::unique_ptr<WaylandConnection> connection_;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::map<WindowHandle, std::unique_ptr<Item>> items_;
    std::vector<wl_callback*> syncs_;  // the syncs sent after minimises, not yet answered
    Ability minimise_ = Ability::unknown;
    bool finished_ = false;
};

}  // namespace vr::wl
