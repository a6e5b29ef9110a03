// A thread of the program's own that runs jobs off the window's thread, as a port: free of <windows.h>, so the
// adapters that post to it are tested natively with a worker that runs jobs when the test says.
#pragma once
#include <functional>

namespace vr::win32 {

// Runs jobs on a thread of its own, never on the caller's.
class Worker {
public:
    using Job = std::function<void()>;
    virtual ~Worker() = default;
    virtual bool ready() = 0;  // false when there is no thread to run jobs on
    // The job runs soon on the worker's thread, after every job posted before it.
    virtual void post(Job job) = 0;
    // Waits until every job posted so far has run, at most ms; false when the time ran out first.
    virtual bool settle(unsigned ms) = 0;
};

}  // namespace vr::win32
