// The window source of GNOME, whose compositor offers no window list to programs: the program's own GNOME
// Shell extension (assets/linux/gnome-shell-extension) exports the windows over the session bus, with their
// class, app id, title, process and whether they ask for attention, and takes minimise and close. Plain sd-bus.
#pragma once
#include <cstdint>
#include <map>

#include "linux/wayland/window_source.h"

struct sd_bus;
struct sd_bus_slot;
struct sd_bus_message;

namespace vr::wl {

// The extension's interface on the session bus.
inline constexpr const char* kGnomeBusName = "org.example.vigilamp.Windows";
inline constexpr const char* kGnomePath = "/org/example/vigilamp/Windows";
inline constexpr const char* kGnomeInterface = "org.example.vigilamp.Windows1";

class GnomeSource final : public WindowSource {
public:
    // Takes over the bus connection (the session bus) and asks the extension for its windows (one bounded call).
    // While the extension is away (turned off, the shell restarting) nothing is listed; when it comes back its
    // windows are asked for again.
    explicit GnomeSource(sd_bus* bus);
    ~GnomeSource() override;
    GnomeSource(const GnomeSource&) = delete;
    GnomeSource& operator=(const GnomeSource&) = delete;

    int fd() const override;
    bool dispatch() override;
    SourceStatus status() const override;
    void minimise(WindowHandle window) override;  // sent without waiting for the answer
    void close(WindowHandle window) override;

private:
    friend struct GnomeEvents;
    void ask();                           // the whole list, answered later
    void take(sd_bus_message* message);   // one window's record, at the message's read position
    void forget(std::uint64_t id);
    void clear();
    void call(const char* method, WindowHandle window);

    sd_bus* bus_;
    sd_bus_slot* signals_ = nullptr;
    sd_bus_slot* owner_ = nullptr;
    sd_bus_slot* listing_ = nullptr;  // the List call on its way, if any
    std::map<std::uint64_t, WindowHandle> handles_;  // the extension's window ids
    std::map<WindowHandle, std::uint64_t> ids_;
    bool present_ = false;  // the extension owns its name on the bus
    bool lost_ = false;
};

}  // namespace vr::wl
