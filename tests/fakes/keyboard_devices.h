// Fakes of the keyboard class devices and of the worker thread under DriverLamps.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "win32/adapters/driver_lamps.h"

namespace vr::fake {

// The user's DOS names and the keyboard class devices behind them. A keyboard N that opens answers as device
// 100 + N, so a test reads which keyboard a call went to.
class KeyboardDevices : public win32::KeyboardDevices {
public:
    std::uint32_t pid = 4242;
    std::set<unsigned> present;        // the class devices that open
    std::set<unsigned> refusedNames;   // the keyboards whose name the system refuses to define
    std::function<void()> duringSet;   // runs inside the next call to the device, as if it were slow; then cleared

    std::map<std::string, std::vector<std::string>> names;  // each name's definitions, the newest last
    std::set<Device> opened;                                // devices open now
    struct Set {
        Device device;
        std::uint16_t unitId, flags;
        bool operator==(const Set&) const = default;
    };
    std::vector<Set> sets;
    std::vector<std::string> calls;    // "define N", "open N", "close N", "remove N", "set N flags"
    std::vector<std::string> defined;  // "name -> target" of every definition asked for

    static unsigned keyboardOf(const std::string& target) {
        return static_cast<unsigned>(std::stoul(target.substr(target.find_last_not_of("0123456789") + 1)));
    }

    std::uint32_t processId() override { return pid; }
    bool define(const std::string& name, const std::string& target) override {
        const unsigned n = keyboardOf(target);
        calls.push_back("define " + std::to_string(n));
        defined.push_back(name + " -> " + target);
        if (refusedNames.count(n)) return false;
        names[name].push_back(target);
        return true;
    }
    Device open(const std::string& name) override {
        const auto found = names.find(name);
        if (found == names.end()) return 0;
        const unsigned n = keyboardOf(found->second.back());
        calls.push_back("open " + std::to_string(n));
        if (!present.count(n)) return 0;
        opened.insert(100 + n);
        return 100 + n;
    }
    bool setIndicators(Device device, std::uint16_t unitId, std::uint16_t flags) override {
        calls.push_back("set " + std::to_string(device - 100) + " " + std::to_string(flags));
        sets.push_back({device, unitId, flags});
        if (duringSet) {
            auto slow = std::move(duringSet);
            duringSet = nullptr;
            slow();
        }
        return opened.count(device) != 0;
    }
    void close(Device device) override {
        calls.push_back("close " + std::to_string(device - 100));
        opened.erase(device);
    }
    bool remove(const std::string& name, const std::string& target) override {
        calls.push_back("remove " + std::to_string(keyboardOf(target)));
        const auto found = names.find(name);
        if (found == names.end()) return false;
        auto& targets = found->second;
        for (auto it = targets.end(); it != targets.begin();) {
            if (*--it != target) continue;
            targets.erase(it);
            if (targets.empty()) names.erase(found);
            return true;
        }
        return false;
    }

    // The calls of one kind, in order.
    std::vector<std::string> callsOf(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& call : calls)
            if (call.rfind(kind + " ", 0) == 0) out.push_back(call);
        return out;
    }
};

// A worker whose jobs run only when the test says so, on the test's thread.
class Worker : public win32::Worker {
public:
    bool hasThread = true;
    bool hung = false;  // settle gives up at once and leaves the jobs waiting, as past a device that hangs
    std::deque<Job> jobs;
    int posted = 0;
    std::vector<unsigned> settles;  // the time each settle was given

    bool ready() override { return hasThread; }
    void post(Job job) override {
        ++posted;
        jobs.push_back(std::move(job));
    }
    bool settle(unsigned ms) override {
        settles.push_back(ms);
        if (hung) return false;
        runAll();
        return true;
    }

    // Every job, those posted while they run included.
    void runAll() {
        while (!jobs.empty()) {
            Job job = std::move(jobs.front());
            jobs.pop_front();
            job();
        }
    }
};

}  // namespace vr::fake
