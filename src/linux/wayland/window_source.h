// A desktop's own list of windows, as one of the program's window sources: the Windows port over the toplevels
// the source was told of, and the desktop's window events. Each source speaks over one connection whose socket
// the owner's event loop watches; nothing here waits on the desktop after start-up.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "linux/wayland/source_status.h"
#include "linux/wayland/toplevel_table.h"
#include "ports.h"

namespace vr::wl {

class WindowSource : public Windows, public WindowEvents {
public:
    // The connection's socket, for the owner's event loop; -1 once the connection is gone.
    virtual int fd() const = 0;
    // Takes what the connection holds without waiting, runs the callbacks, and sends what is queued. Call it
    // whenever fd() is readable, and once after setting the callbacks. False once the connection is gone:
    // the source then lists nothing, and the owner stops watching its socket.
    virtual bool dispatch() = 0;
    // Which source this is and what it can do, as far as it knows now (a wlroots compositor's minimise is
    // known only once one has been tried).
    virtual SourceStatus status() const = 0;

    // A toplevel appeared, or changed its title, app id or class (while listening to changes).
    std::function<void(WindowHandle)> onWindow;
    // A toplevel began to ask for attention (while listening to attention, and only where the source tells).
    std::function<void(WindowHandle)> onAttention;

    // The Windows port over the table: the app id is the class, and a second class name counts too.
    WindowHandle find(const WindowRule& rule) override;
    bool fits(WindowHandle window, const WindowRule& rule) override;
    std::vector<TopLevelWindow> topLevelWindows() override;
    std::optional<std::string> classOf(WindowHandle window) override;  // the app id, else the second name
    std::optional<WindowOwner> ownerOf(WindowHandle window) override;  // the process where told; no thread
    std::optional<std::string> titleOf(WindowHandle window) override;  // at most kRuleTitleChars characters
    OwnerTerms terms() override { return {"Window", "Thread ID (none on Wayland)"}; }
    std::string reach() override { return status().line(); }

    // The toplevel as the source last heard of it in full, states included; nothing once it is gone.
    std::optional<Toplevel> toplevel(WindowHandle window) const;

    std::optional<std::string> attentionUnavailable() override;
    void listen(bool changes, bool attention) override;

protected:
    // Puts the toplevel's description in the table and tells the callbacks what changed.
    void commit(WindowHandle window, const Toplevel& now);

    ToplevelTable table_;

private:
    bool changes_ = false, attention_ = false;
};

}  // namespace vr::wl
