#include "win32/adapters/worker_thread.h"

#include <deque>
#include <type_traits>
#include <utility>

namespace vr::win32 {

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
