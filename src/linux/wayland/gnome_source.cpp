#include "linux/wayland/gnome_source.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <string>

namespace vr::wl {

namespace {

constexpr std::uint64_t kCallMicroseconds = 1000 * 1000;

}  // namespace

struct GnomeEvents {
    // WindowAdded, WindowChanged and WindowAttention carry the window's whole record; WindowRemoved its id.
    static int signal(sd_bus_message* message, void* data, sd_bus_error*) {
        auto* source = static_cast<GnomeSource*>(data);
        const char* member = sd_bus_message_get_member(message);
        if (!member) return 0;
        if (std::strcmp(member, "WindowRemoved") == 0) {
            std::uint64_t id = 0;
            if (sd_bus_message_read(message, "t", &id) >= 0) source->forget(id);
        } else if (std::strcmp(member, "WindowAdded") == 0 || std::strcmp(member, "WindowChanged") == 0 ||
                   std::strcmp(member, "WindowAttention") == 0) {
            source->take(message);
        }
        return 0;
    }
    // The extension's name changed hands: it came (enabled, the shell restarted) or went.
    static int owner(sd_bus_message* message, void* data, sd_bus_error*) {
        auto* source = static_cast<GnomeSource*>(data);
        const char *name = nullptr, *before = nullptr, *after = nullptr;
        if (sd_bus_message_read(message, "sss", &name, &before, &after) < 0) return 0;
        source->present_ = after && *after;
        source->clear();
        if (source->present_) source->ask();
        return 0;
    }
    static int listed(sd_bus_message* reply, void* data, sd_bus_error*) {
        auto* source = static_cast<GnomeSource*>(data);
        source->listing_ = sd_bus_slot_unref(source->listing_);
        if (sd_bus_message_is_method_error(reply, nullptr)) return 0;
        if (sd_bus_message_enter_container(reply, 'a', "(tsssub)") < 0) return 0;
        while (sd_bus_message_enter_container(reply, 'r', "tsssub") > 0) {
            source->take(reply);
            sd_bus_message_exit_container(reply);
        }
        sd_bus_message_exit_container(reply);
        return 0;
    }
};

GnomeSource::GnomeSource(sd_bus* bus) : bus_(bus) {
    sd_bus_set_method_call_timeout(bus_, kCallMicroseconds);
    sd_bus_match_signal(bus_, &signals_, nullptr, kGnomePath, kGnomeInterface, nullptr, GnomeEvents::signal, this);
    const std::string ownerRule = std::string("type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/"
                                              "DBus',interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                                              "arg0='") + kGnomeBusName + "'";
    sd_bus_add_match(bus_, &owner_, ownerRule.c_str(), GnomeEvents::owner, this);
    // The matches go to the bus before the list is asked for, so no window falls between the two.
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (sd_bus_call_method(bus_, kGnomeBusName, kGnomePath, kGnomeInterface, "List", &error, &reply, "") >= 0) {
        present_ = true;
        GnomeEvents::listed(reply, this, nullptr);
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
}

GnomeSource::~GnomeSource() {
    sd_bus_slot_unref(listing_);
    sd_bus_slot_unref(signals_);
    sd_bus_slot_unref(owner_);
    sd_bus_flush_close_unref(bus_);
}

int GnomeSource::fd() const { return lost_ ? -1 : sd_bus_get_fd(bus_); }

bool GnomeSource::dispatch() {
    if (lost_) return false;
    int r;
    while ((r = sd_bus_process(bus_, nullptr)) > 0) {
    }
    if (r < 0) {
        lost_ = true;
        clear();
    }
    return !lost_;
}

SourceStatus GnomeSource::status() const {
    if (lost_) return {SourceKind::none, NoSource::lost, "The session bus has gone.", {}, {}, {}};
    if (!present_)
        return {SourceKind::none, NoSource::gnomeExtensionOff,
                std::string("The Vigilamp GNOME Shell extension is not running; turn it on with: gnome-extensions "
                            "enable ") + kGnomeExtensionUuid,
                {}, {}, {}};
    return {SourceKind::gnomeShell, NoSource::none, "", Ability::yes, Ability::yes, Ability::yes};
}

void GnomeSource::ask() {
    listing_ = sd_bus_slot_unref(listing_);
    sd_bus_call_method_async(bus_, &listing_, kGnomeBusName, kGnomePath, kGnomeInterface, "List",
                             GnomeEvents::listed, this, "");
}

void GnomeSource::take(sd_bus_message* message) {
    std::uint64_t id = 0;
    const char *className = nullptr, *appId = nullptr, *title = nullptr;
    std::uint32_t pid = 0;
    int attention = 0;
    if (sd_bus_message_read(message, "tsssub", &id, &className, &appId, &title, &pid, &attention) < 0) return;
    auto known = handles_.find(id);
    if (known == handles_.end()) {
        known = handles_.emplace(id, table_.add()).first;
        ids_[known->second] = id;
    }
    Toplevel now;
    now.appId = appId;
    now.className = className;
    now.title = title;
    now.pid = pid;
    now.attention = attention != 0;
    commit(known->second, now);
}

void GnomeSource::forget(std::uint64_t id) {
    const auto known = handles_.find(id);
    if (known == handles_.end()) return;
    table_.remove(known->second);
    ids_.erase(known->second);
    handles_.erase(known);
}

void GnomeSource::clear() {
    table_.clear();
    handles_.clear();
    ids_.clear();
}

void GnomeSource::call(const char* method, WindowHandle window) {
    const auto id = ids_.find(window);
    if (id == ids_.end() || lost_) return;
    // No answer is waited for: a reply that comes is dropped.
    sd_bus_call_method_async(bus_, nullptr, kGnomeBusName, kGnomePath, kGnomeInterface, method, nullptr, nullptr,
                             "t", id->second);
}

void GnomeSource::minimise(WindowHandle window) { call("Minimise", window); }

void GnomeSource::close(WindowHandle window) { call("Close", window); }

}  // namespace vr::wl
