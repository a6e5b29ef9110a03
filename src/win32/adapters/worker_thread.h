// The Worker port on Windows: one thread of the program's own that runs jobs off the window's thread.
#pragma once
#include <windows.h>

#include "win32/adapters/worker.h"

namespace vr::win32 {

// One thread of its own (CreateThread: std::thread would add about 1 MB to the executable), started with the
// object. Create it before whatever posts to it, so that it ends after that has posted its last jobs.
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
