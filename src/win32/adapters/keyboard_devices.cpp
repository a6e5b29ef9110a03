#include "win32/adapters/keyboard_devices.h"

#include <winioctl.h>
// winioctl.h first: the keyboard's control codes are built with its CTL_CODE.
#include <ntddkbd.h>

#include <cstddef>
#include <deque>
#include <type_traits>
#include <utility>

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

// What the thread and the object share. Whichever of the two lets go last frees it, so a thread that a hung
// device keeps past the destructor still finds it.
struct ThreadWorker::Queue {
    CRITICAL_SECTION lock;
    HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // a job was posted, or the end is asked
    HANDLE idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);    // set while nothing is posted or running
    std::deque<Job> jobs;
    bool stop = false;
    LONG holders = 2;

    Queue() { InitializeCriticalSection(&lock); }
    ~Queue() {
        DeleteCriticalSection(&lock);
        if (wake) CloseHandle(wake);
        if (idle) CloseHandle(idle);
    }
    void letGo() {
        if (InterlockedDecrement(&holders) == 0) delete this;
    }
};

DWORD WINAPI ThreadWorker::threadMain(void* param) {
    auto& queue = *static_cast<Queue*>(param);
    for (;;) {
        EnterCriticalSection(&queue.lock);
        while (queue.jobs.empty() && !queue.stop) {
            SetEvent(queue.idle);
            LeaveCriticalSection(&queue.lock);
            WaitForSingleObject(queue.wake, INFINITE);
            EnterCriticalSection(&queue.lock);
        }
        if (queue.jobs.empty()) {  // asked to stop, and every job has run
            SetEvent(queue.idle);
            LeaveCriticalSection(&queue.lock);
            break;
        }
        Job job = std::move(queue.jobs.front());
        queue.jobs.pop_front();
        LeaveCriticalSection(&queue.lock);
        job();
    }
    queue.letGo();
    return 0;
}

ThreadWorker::ThreadWorker() : queue_(new Queue) {
    static_assert(std::is_convertible_v<decltype(&threadMain), LPTHREAD_START_ROUTINE>,
                  "called the system's way (stdcall on 32-bit x86)");
    if (queue_->wake && queue_->idle)
        thread_ = CreateThread(nullptr, 64 * 1024, threadMain, queue_, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread_) queue_->holders = 1;  // no thread will let go of it
}

ThreadWorker::~ThreadWorker() {
    if (thread_) {
        EnterCriticalSection(&queue_->lock);
        queue_->stop = true;
        LeaveCriticalSection(&queue_->lock);
        SetEvent(queue_->wake);
        WaitForSingleObject(thread_, kStopMs);
        CloseHandle(thread_);
    }
    queue_->letGo();
}

void ThreadWorker::post(Job job) {
    if (!thread_) return;
    EnterCriticalSection(&queue_->lock);
    queue_->jobs.push_back(std::move(job));
    ResetEvent(queue_->idle);
    LeaveCriticalSection(&queue_->lock);
    SetEvent(queue_->wake);
}

bool ThreadWorker::settle(unsigned ms) {
    return !thread_ || WaitForSingleObject(queue_->idle, ms) == WAIT_OBJECT_0;
}

}  // namespace vr::win32
