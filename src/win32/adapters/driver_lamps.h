// DriverLamps: the keyboard's lamps on Windows through the keyboard class driver, so that flashing them leaves
// the lock state alone. Free of <windows.h>, so it is tested natively with fakes of the raw calls and of the
// worker thread; the Win32 side is in keyboard_devices.h and worker_thread.h.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ports.h"
#include "win32/adapters/worker.h"

namespace vr::win32 {

// The raw calls DriverLamps is written against, each a thin wrapper of its Win32 function.
class KeyboardDevices {
public:
    using Device = std::uintptr_t;  // an open keyboard; 0 is none
    virtual ~KeyboardDevices() = default;
    virtual std::uint32_t processId() = 0;  // GetCurrentProcessId
    // A DOS name for a device in the user's own namespace (DefineDosDeviceW with DDD_RAW_TARGET_PATH).
    virtual bool define(const std::string& name, const std::string& target) = 0;
    // The device behind the name, opened for writing only (the class driver refuses a user who asks to read);
    // 0 when there is none or it is refused.
    virtual Device open(const std::string& name) = 0;
    // IOCTL_KEYBOARD_SET_INDICATORS; waits for the device, however long it takes.
    virtual bool setIndicators(Device device, std::uint16_t unitId, std::uint16_t flags) = 0;
    virtual void close(Device device) = 0;  // CloseHandle
    // Removes this name's definition for this target only, so a name another program shadows stays its own.
    virtual bool remove(const std::string& name, const std::string& target) = 0;
};

class DriverLamps final : public Lamps {
public:
    static constexpr unsigned kKeyboards = 32;  // \Device\KeyboardClass0..31: machines that had many keyboards
    // The lamps' flags in KEYBOARD_INDICATOR_PARAMETERS.
    static constexpr std::uint16_t kScroll = 1, kNum = 2, kCaps = 4;
    // A class device serves one keyboard and takes no unit id but 0 for it; in the driver's old mode, where one
    // class device serves every keyboard, 0 is the first of them, and the driver may pass the lamps to all.
    static constexpr std::uint16_t kUnitId = 0;
    static constexpr unsigned kSettleMs = 2000;  // how long the destructor waits for a slow device

    // Probes the keyboards on the caller's thread (no driver call, only opening and closing them), so it is made
    // at start-up before the windows are; locks is read on the caller's thread at each release.
    DriverLamps(KeyboardDevices& devices, Worker& worker, LockLights& locks);
    // Gives the names back through the worker, waiting for it kSettleMs at most; call release() first.
    ~DriverLamps() override;
    DriverLamps(const DriverLamps&) = delete;
    DriverLamps& operator=(const DriverLamps&) = delete;

    LampRoute route() override { return route_; }
    void show(LockStates lamps) override;
    void release() override;

    static std::string targetOf(unsigned keyboard);  // \Device\KeyboardClassN
    static std::uint16_t flagsOf(LockStates lamps);

private:
    struct Keyboards;
    void want(std::uint32_t wanted);

    // What the jobs work on: shared with them, so a job a slow device holds up past the destructor finds it.
    std::shared_ptr<Keyboards> keyboards_;
    Worker& worker_;
    LockLights& locks_;
    LampRoute route_ = LampRoute::none;
};

}  // namespace vr::win32
