#include "win32/adapters/keyboard_devices.h"

#include <winioctl.h>
// winioctl.h first: the keyboard's control codes are built with its CTL_CODE.
#include <ntddkbd.h>

#include <cstddef>

namespace vr::win32 {

// What the driver reads is the same four bytes on either target, and the header-free side speaks its numbers.
static_assert(sizeof(KEYBOARD_INDICATOR_PARAMETERS) == 4 && offsetof(KEYBOARD_INDICATOR_PARAMETERS, UnitId) == 0 &&
              offsetof(KEYBOARD_INDICATOR_PARAMETERS, LedFlags) == 2);
static_assert(IOCTL_KEYBOARD_SET_INDICATORS == 0x000B0008, "the keyboard device, function 2, buffered, any access");
static_assert(KEYBOARD_SCROLL_LOCK_ON == DriverLamps::kScroll && KEYBOARD_NUM_LOCK_ON == DriverLamps::kNum &&
              KEYBOARD_CAPS_LOCK_ON == DriverLamps::kCaps);
static_assert(sizeof(KeyboardDevices::Device) >= sizeof(HANDLE));

namespace {

// The names are the program's own ASCII, so each character widens as it is.
std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

bool KeyboardDeviceCalls::define(const std::string& name, const std::string& target) {
    return DefineDosDeviceW(DDD_RAW_TARGET_PATH, wide(name).c_str(), wide(target).c_str()) != FALSE;
}

KeyboardDevices::Device KeyboardDeviceCalls::open(const std::string& name) {
    // Writing only: the class driver refuses a user's process that asks to read the keyboard.
    const HANDLE device = CreateFileW(wide("\\\\.\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    return device == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<Device>(device);
}

bool KeyboardDeviceCalls::setIndicators(Device device, std::uint16_t unitId, std::uint16_t flags) {
    KEYBOARD_INDICATOR_PARAMETERS parameters{unitId, flags};
    DWORD returned = 0;
    return DeviceIoControl(reinterpret_cast<HANDLE>(device), IOCTL_KEYBOARD_SET_INDICATORS, &parameters,
                           sizeof parameters, nullptr, 0, &returned, nullptr) != FALSE;
}

bool KeyboardDeviceCalls::remove(const std::string& name, const std::string& target) {
    return DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE | DDD_RAW_TARGET_PATH,
                            wide(name).c_str(), wide(target).c_str()) != FALSE;
}

}  // namespace vr::win32
