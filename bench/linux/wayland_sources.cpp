// Figures of the Wayland window source under the compositor WAYLAND_DISPLAY names (scripts/bench-wayland.sh
// starts sway headless with a few windows): the start-up of the choice and the first list, then the CPU time
// while idle (listening only) and while watching (a lookup by rule every scan interval, as the program's scan
// does), each over the same span. Prints figures; nothing fails on a time.
// Usage: bench_wayland_sources [seconds of each measurement] [scan interval in ms]
#include <poll.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "linux/wayland/session_sources.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The owner's event loop: the source's socket, and a scan at each interval when scanning.
void loop(vr::wl::WindowSource& source, double seconds, int scanMs, unsigned& lookups, unsigned& wakeups) {
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    auto nextScan = Clock::now() + std::chrono::milliseconds(scanMs);
    const vr::WindowRule rule{"vr.bench.nothing", "(*) Inbox"};  // a rule no window fits: every window looked at
    while (Clock::now() < end) {
        const auto until = scanMs > 0 ? std::min(end, nextScan) : end;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd watched{source.fd(), POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(std::max<long long>(wait, 0))) > 0) {
            source.dispatch();
            ++wakeups;
        }
        if (scanMs > 0 && Clock::now() >= nextScan) {
            source.find(rule);
            ++lookups;
            nextScan += std::chrono::milliseconds(scanMs);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
    const int scanMs = argc > 2 ? std::atoi(argv[2]) : 1000;

    const auto started = Clock::now();
    const double cpuBefore = cpuSeconds();
    vr::wl::ChosenSource chosen = vr::wl::openWindowSource();
    const double startMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    const double startCpuMs = (cpuSeconds() - cpuBefore) * 1000;
    std::printf("source: %s\n", chosen.status.line().c_str());
    if (!chosen.source) return 1;
    std::printf("start-up (connect, choose, first list of %zu windows): %.1f ms wall, %.1f ms CPU\n",
                chosen.source->topLevelWindows().size(), startMs, startCpuMs);

    unsigned lookups = 0, wakeups = 0;
    double cpu = cpuSeconds();
    loop(*chosen.source, seconds, 0, lookups, wakeups);
    std::printf("idle, listening only, %.0f s: %.2f ms CPU (%.4f%% of one core), %u wake-ups\n", seconds,
                (cpuSeconds() - cpu) * 1000, (cpuSeconds() - cpu) / seconds * 100, wakeups);

    wakeups = 0;
    cpu = cpuSeconds();
    loop(*chosen.source, seconds, scanMs, lookups, wakeups);
    const double watchCpu = cpuSeconds() - cpu;
    std::printf("watching, a lookup every %d ms, %.0f s: %.2f ms CPU (%.4f%% of one core), %u lookups, "
                "%u wake-ups from the compositor\n",
                scanMs, seconds, watchCpu * 1000, watchCpu / seconds * 100, lookups, wakeups);
    return 0;
}
