// The lamps' adapter against the real system, under Wine (tests/win32/run_lamps_check.sh). Wine has no keyboard
// class device, so the adapter must offer no route there and let show and release pass without touching a
// device or the lock state; the worker thread must run its jobs off the caller's thread, in order, and finish
// them when it ends. Prints one line per check and exits 1 when any failed.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "win32/adapters/key_led.h"
#include "win32/adapters/keyboard_devices.h"
#include "win32/adapters/worker_thread.h"
#include "win32/adapters/ports_win32.h"

using namespace vr;
using namespace vr::win32;

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok" : "FAILED", what.c_str());
    if (!ok) ++failures;
}

// The real calls, counted, with the error each refused open gave.
class CountedCalls final : public KeyboardDevices {
public:
    int defined = 0, opened = 0, refused = 0, sets = 0, closed = 0, removed = 0, calls = 0;
    std::set<DWORD> openErrors;

    std::uint32_t processId() override { return real_.processId(); }
    bool define(const std::string& name, const std::string& target) override {
        ++calls;
        const bool ok = real_.define(name, target);
        defined += ok;
        return ok;
    }
    Device open(const std::string& name) override {
        ++calls;
        const Device device = real_.open(name);
        if (device) {
            ++opened;
        } else {
            ++refused;
            openErrors.insert(GetLastError());
        }
        return device;
    }
    bool setIndicators(Device device, std::uint16_t unitId, std::uint16_t flags) override {
        ++calls, ++sets;
        return real_.setIndicators(device, unitId, flags);
    }
    void close(Device device) override {
        ++calls, ++closed;
        real_.close(device);
    }
    bool remove(const std::string& name, const std::string& target) override {
        ++calls;
        const bool ok = real_.remove(name, target);
        removed += ok;
        return ok;
    }

private:
    KeyboardDeviceCalls real_;
};

// Waits for a flag another thread sets, 10 s at most.
bool waitFor(const volatile LONG& flag) {
    for (int i = 0; i < 1000 && !flag; ++i) Sleep(10);
    return flag != 0;
}

void workerChecks() {
    const DWORD caller = GetCurrentThreadId();
    {
        ThreadWorker worker;
        check(worker.ready(), "the worker has a thread");
        std::vector<int> order;
        std::set<DWORD> threads;
        for (int i = 1; i <= 3; ++i)
            worker.post([&, i] {
                order.push_back(i);
                threads.insert(GetCurrentThreadId());
            });
        check(worker.settle(10000), "the worker settles once its jobs have run");
        check(order == std::vector<int>{1, 2, 3}, "jobs run in the order posted");
        check(threads.size() == 1 && !threads.count(caller), "jobs run on one thread, not the caller's");

        volatile LONG slowDone = 0;
        worker.post([&] {
            Sleep(500);
            InterlockedExchange(&slowDone, 1);
        });
        check(!worker.settle(20) && !slowDone, "settle gives up after its time while a job still runs");
        check(worker.settle(10000) && slowDone, "settle waits for a slow job when given the time");
    }
    {
        volatile LONG done = 0;
        {
            ThreadWorker worker;
            worker.post([&] {
                Sleep(100);
                InterlockedExchange(&done, 1);
            });
        }
        check(done != 0, "the worker's end runs the jobs still posted");
    }
    {
        // What a hung device would do: a job that outlasts the destructor's wait. The flag lives on the heap
        // past the job, as DriverLamps's keyboards do.
        auto* done = new LONG(0);
        {
            ThreadWorker worker;
            worker.post([done] {
                Sleep(ThreadWorker::kStopMs + 1500);
                InterlockedExchange(done, 1);
            });
        }
        check(*done == 0, "the worker's end does not wait past its bound for a job that hangs");
        check(waitFor(*done), "that job finishes later on its own, after the worker is gone");
    }
}

void lampChecks() {
    SystemKeyboard keyboard;
    TKeyLed locks(keyboard);
    locks.loaded();
    const LockStates before = locks.states();

    CountedCalls calls;
    ThreadWorker worker;
    int afterProbe = 0;
    {
        DriverLamps lamps(calls, worker, locks);
        check(lamps.route() == LampRoute::none, "with no keyboard class device the route is none");
        check(calls.defined == int(DriverLamps::kKeyboards), "each of the 32 names was defined");
        check(calls.opened == 0 && calls.refused == int(DriverLamps::kKeyboards), "no keyboard opened");
        std::string errors;
        for (DWORD e : calls.openErrors) errors.append(" ").append(std::to_string(e));
        std::printf("   (the opens failed with error%s)\n", errors.c_str());
        check(calls.removed == calls.defined, "each name defined was removed again");

        afterProbe = calls.calls;
        lamps.show({true, true, true});
        lamps.show({false, true, false});
        lamps.release();
        check(worker.settle(0), "show and release leave the worker nothing to do");
        check(calls.calls == afterProbe, "show and release touch no device");
        const LockStates after = locks.states();
        check(after.caps == before.caps && after.num == before.num && after.scroll == before.scroll,
              "the lock state is as it was");
    }
    check(calls.calls == afterProbe, "the end touches no device either");
}

}  // namespace

int main() {
    workerChecks();
    lampChecks();
    std::printf("%s\n", failures ? "lamps check FAILED" : "lamps check passed");
    return failures ? 1 : 0;
}
