#include "linux/wayland/session_sources.h"

#include <systemd/sd-bus.h>

#include <algorithm>

#include "linux/wayland/gnome_source.h"
#include "linux/wayland/plasma_source.h"
#include "linux/wayland/toplevel_list_source.h"
#include "linux/wayland/wayland_connection.h"
#include "linux/wayland/wlr_source.h"

namespace vr::wl {

namespace {

constexpr std::uint64_t kCallMicroseconds = 1000 * 1000;

SourceStatus none(NoSource why, std::string detail) { return {SourceKind::none, why, std::move(detail), {}, {}, {}}; }

// KWin offers some of Plasma's own interfaces to every program; its window management it keeps for programs
// that a desktop entry names. (sway offers two org_kde_kwin_ interfaces as well, so those do not tell.)
bool isKwin(const WaylandConnection& connection) {
    return connection.global("org_kde_plasma_shell") || connection.global("org_kde_plasma_virtual_desktop_management") ||
           connection.global("kde_output_device_v2");
}

template <class Source>
ChosenSource open(std::unique_ptr<WaylandConnection> connection) {
    auto source = std::make_unique<Source>(std::move(connection));
    const SourceStatus status = source->status();
    if (status.kind == SourceKind::none) return {nullptr, status};
    return {std::move(source), status};
}

// What GNOME Shell says of the extension: on the bus, installed but off, or absent. Nothing when no GNOME Shell
// answers on the session bus.
std::optional<ChosenSource> openGnome() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return std::nullopt;
    sd_bus_set_method_call_timeout(bus, kCallMicroseconds);
    const auto hasOwner = [&](const char* name) {
        sd_bus_message* reply = nullptr;
        int owned = 0;
        if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", nullptr, &reply, "s", name) >= 0)
            sd_bus_message_read(reply, "b", &owned);
        sd_bus_message_unref(reply);
        return owned != 0;
    };
    if (hasOwner(kGnomeBusName)) {
        auto source = std::make_unique<GnomeSource>(bus);
        const SourceStatus status = source->status();
        if (status.kind == SourceKind::none) return ChosenSource{nullptr, status};
        return ChosenSource{std::move(source), status};
    }
    if (!hasOwner("org.gnome.Shell")) {
        sd_bus_flush_close_unref(bus);
        return std::nullopt;
    }
    // The shell's own account of the extension: no entry when it is not installed; a state otherwise (1 is
    // enabled; disabled, failed and out of date are the others).
    sd_bus_message* reply = nullptr;
    bool installed = false;
    double state = 0;
    if (sd_bus_call_method(bus, "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                           "GetExtensionInfo", nullptr, &reply, "s", kGnomeExtensionUuid) >= 0 &&
        sd_bus_message_enter_container(reply, 'a', "{sv}") >= 0) {
        while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(reply, "s", &key);
            installed = true;
            if (key && std::string_view(key) == "state" && sd_bus_message_enter_container(reply, 'v', "d") > 0) {
                sd_bus_message_read(reply, "d", &state);
                sd_bus_message_exit_container(reply);
            } else {
                sd_bus_message_skip(reply, "v");
            }
            sd_bus_message_exit_container(reply);
        }
    }
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    const std::string enable = std::string("gnome-extensions enable ") + kGnomeExtensionUuid;
    if (!installed)
        return ChosenSource{nullptr, none(NoSource::gnomeExtensionMissing,
                                          "GNOME Shell lists its windows only through the Vigilamp GNOME Shell "
                                          "extension, which is not installed; install it, then run: " + enable)};
    if (state == 1)
        return ChosenSource{nullptr, none(NoSource::gnomeExtensionOff,
                                          "The Vigilamp GNOME Shell extension is on but does not answer; log out "
                                          "and in again to restart GNOME Shell.")};
    return ChosenSource{nullptr, none(NoSource::gnomeExtensionOff,
                                      "The Vigilamp GNOME Shell extension is installed but turned off; turn it "
                                      "on with: " + enable)};
}

}  // namespace

ChosenSource openWindowSource() {
    auto connection = std::make_unique<WaylandConnection>();
    if (!connection->connected()) {
        // GNOME on X11 needs nothing more than the X11 source; a GNOME extension is for its Wayland session.
        return {nullptr, none(NoSource::notWayland, "This is not a Wayland session: every window is an X11 one.")};
    }
    if (connection->global(PlasmaSource::kInterface)) return open<PlasmaSource>(std::move(connection));
    const Global* wlr = connection->global(WlrSource::kInterface);
    if (wlr && wlr->version >= WlrSource::kLeastVersion) return open<WlrSource>(std::move(connection));
    if (connection->global(ToplevelListSource::kInterface)) return open<ToplevelListSource>(std::move(connection));
    const bool kwin = isKwin(*connection);
    connection.reset();
    if (kwin)
        return {nullptr, none(NoSource::kwinNeedsEntry,
                              "KWin shows its windows only to a program named by a desktop entry: the installed "
                              "package has one; a copy elsewhere needs its own (see the README).")};
    if (auto gnome = openGnome()) return std::move(*gnome);
    return {nullptr, none(NoSource::noProtocol,
                          "The compositor lets no program see its windows; only X11 programs' windows are seen.")};
}

}  // namespace vr::wl
