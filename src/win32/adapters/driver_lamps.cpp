#include "win32/adapters/driver_lamps.h"

#include <atomic>
#include <utility>
#include <vector>

namespace vr::win32 {

namespace {

// What the worker is to do next, in one word so that a show and the worker never need a lock: the lamps' flags,
// and whether it is the release.
constexpr std::uint32_t kFlagsMask = 0xFFFF, kRelease = 1u << 16;

}  // namespace

// The keyboards the program has open and the names it defined for them. The constructor's thread probes them
// before any job exists; after that only the worker touches them.
struct DriverLamps::Keyboards {
    explicit Keyboards(KeyboardDevices& calls)
        : devices(calls), prefix("VigilampLamps" + std::to_string(calls.processId()) + "_") {}

    KeyboardDevices& devices;
    const std::string prefix;  // the process id makes the names the program's own, whatever else runs
    struct Keyboard {
        unsigned number;
        KeyboardDevices::Device device;
    };
    std::vector<Keyboard> open;
    std::atomic<std::uint32_t> wanted{0};
    std::atomic<bool> queued{false};  // a job is posted that has not yet read wanted

    std::string nameOf(unsigned keyboard) const { return prefix + std::to_string(keyboard); }

    // Every keyboard that opens; a name whose device does not open is removed again at once.
    void openAll() {
        for (unsigned n = 0; n < kKeyboards; ++n) {
            const std::string name = nameOf(n), target = targetOf(n);
            if (!devices.define(name, target)) continue;
            if (const auto device = devices.open(name)) {
                open.push_back({n, device});
            } else {
                devices.remove(name, target);
            }
        }
    }

    void closeAll() {
        for (const Keyboard& keyboard : open) {
            devices.close(keyboard.device);
            devices.remove(nameOf(keyboard.number), targetOf(keyboard.number));
        }
        open.clear();
    }

    // A keyboard that fails (unplugged meanwhile) keeps its place: the next alert opens afresh anyway.
    void send(std::uint16_t flags) {
        for (const Keyboard& keyboard : open) devices.setIndicators(keyboard.device, kUnitId, flags);
    }

    // On the worker: whatever was asked last, once. Clearing queued before reading wanted means a show that comes
    // while the device is slow posts one more job, which sends the newest state after this one.
    void runWanted() {
        queued.store(false);
        const std::uint32_t now = wanted.load();
        const auto flags = static_cast<std::uint16_t>(now & kFlagsMask);
        if (now & kRelease) {
            send(flags);
            closeAll();
            return;
        }
        if (open.empty()) openAll();
        send(flags);
    }
};

DriverLamps::DriverLamps(KeyboardDevices& devices, Worker& worker, LockLights& locks)
    : keyboards_(std::make_shared<Keyboards>(devices)), worker_(worker), locks_(locks) {
    if (!worker_.ready()) return;  // the driver is never called from the caller's thread
    keyboards_->openAll();
    route_ = keyboards_->open.empty() ? LampRoute::none : LampRoute::keyboardDriver;
    // Closed again until an alert needs them: the next alert then reaches a keyboard plugged in meanwhile and
    // holds no handle of one pulled out, and while the program only waits, no name of its own sits in the
    // user's namespace (a name outlives a program that crashes until the user logs off).
    keyboards_->closeAll();
}

DriverLamps::~DriverLamps() {
    if (route_ == LampRoute::none) return;  // nothing was posted, and the probe gave its names back
    worker_.post([keyboards = keyboards_] { keyboards->closeAll(); });
    worker_.settle(kSettleMs);
}

std::string DriverLamps::targetOf(unsigned keyboard) { return "\\Device\\KeyboardClass" + std::to_string(keyboard); }

std::uint16_t DriverLamps::flagsOf(LockStates lamps) {
    return static_cast<std::uint16_t>((lamps.caps ? kCaps : 0) | (lamps.num ? kNum : 0) |
                                      (lamps.scroll ? kScroll : 0));
}

void DriverLamps::want(std::uint32_t wanted) {
    keyboards_->wanted.store(wanted);
    // One job at most waits: the states asked for meanwhile only replace what it will send.
    if (!keyboards_->queued.exchange(true)) worker_.post([keyboards = keyboards_] { keyboards->runWanted(); });
}

void DriverLamps::show(LockStates lamps) {
    if (route_ != LampRoute::none) want(flagsOf(lamps));
}

void DriverLamps::release() {
    // The lock state is read here, on the caller's thread, which is where the lock lights are read everywhere else.
    if (route_ != LampRoute::none) want(kRelease | flagsOf(locks_.states()));
}

}  // namespace vr::win32
