// The Lamps port through the system's LED service: systemd-logind sets the kernel's keyboard LED devices for the
// owner of the seat's foreground session (Session.SetBrightness, subsystem "leds"), with no root and no polkit.
// It works in any session, Wayland included, and never touches the lock state. sd-bus, no Qt.
#pragma once
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "linux/adapters/keyboard_leds.h"
#include "ports.h"

typedef struct sd_bus sd_bus;

namespace vr::lx {

// The calls go over the system bus (DBUS_SYSTEM_BUS_ADDRESS when set) from a thread of the adapter's own, so the
// caller never waits on the bus; when the bus is slow, the state asked for last replaces one not yet sent.
class LedServiceLamps final : public Lamps {
public:
    // What release() gives each lamp: the lock state the lock lights read, or the brightness the lamp had before
    // the alert (where no lock state can be read that is the keyboard's).
    enum class Back { lockState, asBefore };

    // Finds the caller's session and makes one harmless call (a lamp set to the brightness it has) before it
    // returns, so it waits on the bus once, here. locks must outlive this object.
    LedServiceLamps(LockLights& locks, std::string ledsFolder = "/sys/class/leds", Back back = Back::lockState);
    ~LedServiceLamps() override;  // sends what was asked last, then returns
    LedServiceLamps(const LedServiceLamps&) = delete;
    LedServiceLamps& operator=(const LedServiceLamps&) = delete;

    // ledService when the folder lists keyboard lamps and the service took the first call.
    LampRoute route() override;
    // Every lamp of every keyboard, each time; returns at once.
    void show(LockStates lamps) override;
    // Reads the lock state now (Back::lockState) and returns at once; nothing when no alert was shown.
    void release() override;
    // Why route() is none, with what the bus said; empty otherwise.
    const std::string& why() const { return why_; }
    // The session object the calls go to; empty without one.
    const std::string& session() const { return session_; }

private:
    struct Job {
        bool release = false;
        LockStates lamps;  // a release's lock state
    };
    bool findSession();
    // Sets one device: sd-bus's result, negative with the bus's words in *error (when given) on failure.
    int setBrightness(const std::string& device, unsigned value, std::string* error);
    void work();
    void run(const Job& job);

    LockLights& locks_;
    const std::string folder_;
    const Back back_;
    std::string why_, session_;
    sd_bus* bus_ = nullptr;
    bool shown_ = false;  // the caller's side: an alert to release

    // The worker's own: the devices of the alert under way and their brightness before it.
    bool alert_ = false;
    std::vector<KeyboardLed> devices_;
    std::vector<std::optional<unsigned>> before_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> wanted_;  // the one job waiting; a newer one replaces it
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace vr::lx
