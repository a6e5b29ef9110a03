// The lamps' flash tick on X11, timed on the caller's thread, which is the program's own: the three locks
// switched through XKB (XkbLockLights) beside the keyboard's lamps alone through XKB's explicit indicators
// (XkbLamps) and, with "led-service", through logind's LED service (LedServiceLamps) against the fake logind the
// tests use, on a private bus that stands for the system bus (scripts/bench-linux.sh starts it). A keystroke
// waits at most as long as the caller's time per show. Prints figures, never a verdict.
// Usage: bench_lamps [led-service]     on the display DISPLAY names; DBUS_SYSTEM_BUS_ADDRESS for the service
// The program's headers first: Xlib's macros (Status, None) would rename what they declare.
#include "linux/adapters/led_service_lamps.h"
#include "linux/adapters/xkb_lamps.h"
#include "linux/adapters/xkb_lights.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using vr::LockKey;
using vr::LockStates;

double microseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::micro>(Clock::now() - since).count();
}

// The same columns as the scripts' rows.
void row(const char* what, double value, double baseline, const char* unit, const std::string& note) {
    char ratio[16];
    if (baseline > 0) std::snprintf(ratio, sizeof ratio, "%5.2f", value / baseline);
    else std::snprintf(ratio, sizeof ratio, "%s", value > 0 ? "  inf" : "    -");
    std::printf("%-44s %10.3f %-3s  baseline %10.3f %-3s  ratio %s   %s\n", what, value, unit, baseline, unit, ratio,
                note.c_str());
    std::fflush(stdout);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The first show of an alert does more than the rest (saves the maps, wakes a thread): each told apart.
std::string firstAndSlowest(const std::vector<double>& v) {
    char text[80];
    std::snprintf(text, sizeof text, "first %.1f us, slowest of the rest %.1f us", v.empty() ? 0 : v.front(),
                  v.size() < 2 ? 0 : *std::max_element(v.begin() + 1, v.end()));
    return text;
}

// The n-th flash tick: all three lamps lit, then all out, in turn.
LockStates tickPattern(int n) {
    const bool lit = n % 2 == 0;
    return {lit, lit, lit};
}

bool same(LockStates a, LockStates b) { return a.caps == b.caps && a.num == b.num && a.scroll == b.scroll; }

unsigned lockedMods(Display* display) {
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    return state.locked_mods;
}

// The least that switches the three locks: the requests alone, and one round trip for the server to have done
// them, as the lock lights wait for it too.
void bareLockTick(Display* display, LockStates shown) {
    const unsigned num = XkbKeysymToModifiers(display, XK_Num_Lock);
    XkbLockModifiers(display, XkbUseCoreKbd, LockMask, shown.caps ? LockMask : 0);
    if (num) XkbLockModifiers(display, XkbUseCoreKbd, num, shown.num ? num : 0);
    XkbSetNamedIndicator(display, XInternAtom(display, "Scroll Lock", False), True, shown.scroll, False, nullptr);
    XSync(display, False);
}

void allOff(vr::LockLights& locks) {
    for (LockKey key : {LockKey::Caps, LockKey::Num, LockKey::Scroll}) locks.set(key, false);
}

// The fake logind's knobs (tests/linux/fake_logind.py), over a connection of this program's own.
bool knob(const char* method, const char* types, const char* a, const char* b) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                          "org.freedesktop.DBus.Mock", method, &error, nullptr, types, a, b);
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return result >= 0;
}

bool lampDelay(double seconds) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) return false;
    const int result = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                          "org.freedesktop.DBus.Mock", "SetLampDelay", nullptr, nullptr, "d", seconds);
    sd_bus_flush_close_unref(bus);
    return result >= 0;
}

// One keyboard's three lamps in a fake LED folder, all out.
void fakeLeds(const std::filesystem::path& folder) {
    for (const char* lamp : {"capslock", "numlock", "scrolllock"}) {
        const auto device = folder / (std::string("input3::") + lamp);
        std::filesystem::create_directories(device);
        std::ofstream(device / "brightness") << "0\n";
        std::ofstream(device / "max_brightness") << "1\n";
    }
}

void ledService(vr::LockLights& locks, double lockTick, const std::filesystem::path& work) {
    constexpr double kCallSeconds = 0.02;
    const auto folder = work / "leds", journal = work / "journal";
    fakeLeds(folder);
    if (!knob("SetLamps", "ss", folder.c_str(), journal.c_str()) || !lampDelay(kCallSeconds)) {
        std::printf("flash tick, lamps alone (LedServiceLamps): the fake logind took no knob; no figure\n");
        return;
    }
    std::vector<double> perShow;
    {
        vr::lx::LedServiceLamps lamps(locks, folder.string());
        if (lamps.route() != vr::LampRoute::ledService) {
            std::printf("flash tick, lamps alone (LedServiceLamps): no route (%s); no figure\n", lamps.why().c_str());
            return;
        }
        for (int n = 0; n < 50; ++n) {
            const auto t0 = Clock::now();
            lamps.show(tickPattern(n));
            perShow.push_back(microseconds(t0));
        }
        lamps.release();
    }  // sends what was asked last, then returns
    std::ifstream lines(journal);
    const auto calls = std::count(std::istreambuf_iterator<char>(lines), std::istreambuf_iterator<char>(), '\n');
    char note[200];
    std::snprintf(note, sizeof note, "baseline: the locks' tick; %s; fake logind, 20 ms a call: %ld calls reached it "
                  "for 50 shows and the release (waiting shows merge)", firstAndSlowest(perShow).c_str(), long(calls));
    row("flash tick, lamps (LedServiceLamps::show)", median(perShow), lockTick, "us", note);
}

}  // namespace

int main(int argc, char** argv) {
    const bool withService = argc > 1 && std::strcmp(argv[1], "led-service") == 0;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("lamps: no X display\n");
        return 1;
    }
    std::printf("-- the lamps per flash tick, on the program's own thread: a keystroke waits at most this long, so the\n"
                "   caller's time per show is the figure for a keystroke not delayed (target: well under 1 ms)\n");
    const int ticks = 500;
    vr::lx::XkbLockLights locks(display);
    allOff(locks);

    auto t0 = Clock::now();
    for (int n = 0; n < ticks; ++n) bareLockTick(display, tickPattern(n));
    const double bare = microseconds(t0) / ticks;
    allOff(locks);

    std::vector<double> lockTicks;
    int readBack = 0;
    for (int n = 0; n < ticks; ++n) {
        const LockStates shown = tickPattern(n);
        t0 = Clock::now();
        locks.set(LockKey::Caps, shown.caps);
        locks.set(LockKey::Num, shown.num);
        locks.set(LockKey::Scroll, shown.scroll);
        lockTicks.push_back(microseconds(t0));
        readBack += same(locks.states(), shown);
    }
    allOff(locks);
    const double lockTick = median(lockTicks);
    char note[200];
    std::snprintf(note, sizeof note, "bare: the three requests and a round trip; %d of %d ticks read back as set",
                  readBack, ticks);
    row("flash tick, locks (XkbLockLights, 3 sets)", lockTick, bare, "us", note);

    const auto work = std::filesystem::temp_directory_path() /
                      ("vigilamp-bench-lamps-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(work);
    {
        vr::lx::XkbLamps lamps(display, (work / "saved-lamps").string());
        if (lamps.route() != vr::LampRoute::xkbIndicators) {
            std::printf("flash tick, lamps alone (XkbLamps): no route (%s); no figure\n", lamps.why().c_str());
        } else {
            const unsigned locked = lockedMods(display);
            std::vector<double> perShow;
            int shownBack = 0, locksKept = 0;
            for (int n = 0; n < ticks; ++n) {
                t0 = Clock::now();
                lamps.show(tickPattern(n));
                perShow.push_back(microseconds(t0));
                shownBack += same(locks.states(), tickPattern(n));
                locksKept += lockedMods(display) == locked;
            }
            lamps.release();
            std::snprintf(note, sizeof note, "baseline: the locks' tick; %s; %d of %d read back, locked modifiers "
                          "unchanged at %d", firstAndSlowest(perShow).c_str(), shownBack, ticks, locksKept);
            row("flash tick, lamps (XkbLamps::show)", median(perShow), lockTick, "us", note);
        }
    }
    if (withService) ledService(locks, lockTick, work);
    std::filesystem::remove_all(work);
    XCloseDisplay(display);
    return 0;
}
