// The Win32 side of DriverLamps: the raw calls on the keyboard class devices.
#pragma once
#include <windows.h>

#include "win32/adapters/driver_lamps.h"

namespace vr::win32 {

// Each call is the one Win32 function its port method names; names are ASCII.
class KeyboardDeviceCalls final : public KeyboardDevices {
public:
    std::uint32_t processId() override { return GetCurrentProcessId(); }
    bool define(const std::string& name, const std::string& target) override;
    Device open(const std::string& name) override;
    bool setIndicators(Device device, std::uint16_t unitId, std::uint16_t flags) override;
    void close(Device device) override { CloseHandle(reinterpret_cast<HANDLE>(device)); }
    bool remove(const std::string& name, const std::string& target) override;
};

}  // namespace vr::win32
