// The Win32 side of DriverLamps: the raw calls on the keyboard class devices, and the thread they run on.
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

// One thread of its own (CreateThread: std::thread would add about 1 MB to the executable), started with the
// object. Create it before the DriverLamps that posts to it, so that it ends after that has given its names back.
class ThreadWorker final : public Worker {
public:
    static constexpr unsigned kStopMs = 2000;  // how long the destructor waits for the jobs still posted

    ThreadWorker();
    // Runs what was posted, then ends the thread. A device that hangs past kStopMs keeps the thread, which
    // then ends with the process; nothing it holds is freed under it.
    ~ThreadWorker() override;
    ThreadWorker(const ThreadWorker&) = delete;
    ThreadWorker& operator=(const ThreadWorker&) = delete;

    bool ready() override { return thread_ != nullptr; }
    void post(Job job) override;  // dropped when there is no thread
    bool settle(unsigned ms) override;

private:
    struct Queue;
    static DWORD WINAPI threadMain(void* queue);

    Queue* queue_;
    HANDLE thread_ = nullptr;
};

}  // namespace vr::win32
