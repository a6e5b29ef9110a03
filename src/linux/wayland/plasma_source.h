// The window source of KDE Plasma: KWin's window management (org_kde_plasma_window_management). Titles, app ids,
// processes and states, demands-attention among them; minimise and close. KWin offers it only to a program
// named by a desktop entry whose Exec= is the program's absolute path and whose X-KDE-Wayland-Interfaces lists
// the interface.
#pragma once
#include <map>
#include <memory>

#include "linux/wayland/wayland_connection.h"
#include "linux/wayland/window_source.h"

struct org_kde_plasma_window_management;
struct org_kde_plasma_window;

namespace vr::wl {

class PlasmaSource final : public WindowSource {
public:
    static constexpr const char* kInterface = "org_kde_plasma_window_management";

    // Binds the window management the connection offers and learns the windows there are (bounded exchanges).
    explicit PlasmaSource(std::unique_ptr<WaylandConnection> connection);
    ~PlasmaSource() override;

    int fd() const override { return connection_->fd(); }
    bool dispatch() override;
    SourceStatus status() const override;
    void minimise(WindowHandle window) override;
    void close(WindowHandle window) override;

    struct Item;

private:
    friend struct PlasmaEvents;
    void track(org_kde_plasma_window* proxy);
    void gone();

    std::unique_ptr<WaylandConnection> connection_;
    org_kde_plasma_window_management* manager_ = nullptr;
    std::uint32_t version_ = 0;
    std::map<WindowHandle, std::unique_ptr<Item>> items_;
};

}  // namespace vr::wl
