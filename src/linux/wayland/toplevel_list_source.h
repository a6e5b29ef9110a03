// The window source of a compositor that offers only the common toplevel list (ext_foreign_toplevel_list_v1):
// titles and app ids. It can neither minimise nor close, nor tell of attention, and its status says so.
#pragma once
#include <map>
#include <memory>

#include "linux/wayland/wayland_connection.h"
#include "linux/wayland/window_source.h"

struct ext_foreign_toplevel_list_v1;
struct ext_foreign_toplevel_handle_v1;

namespace vr::wl {

class ToplevelListSource final : public WindowSource {
public:
    static constexpr const char* kInterface = "ext_foreign_toplevel_list_v1";

    // Binds the list the connection offers and learns the toplevels there are (bounded exchanges).
    explicit ToplevelListSource(std::unique_ptr<WaylandConnection> connection);
    ~ToplevelListSource() override;

    int fd() const override { return connection_->fd(); }
    bool dispatch() override;
    SourceStatus status() const override;
    void minimise(WindowHandle) override {}  // the protocol has no way to ask
    void close(WindowHandle) override {}

    struct Item;

private:
    friend struct ListEvents;
    void gone();

    std::unique_ptr<WaylandConnection> connection_;
    ext_foreign_toplevel_list_v1* list_ = nullptr;
    std::map<WindowHandle, std::unique_ptr<Item>> items_;
    bool finished_ = false;
};

}  // namespace vr::wl
