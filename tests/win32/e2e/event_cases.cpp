// End-to-end cases of the window events: with a scan only once a minute, a window that appears, or one whose new
// title fits, starts the alert within a second; a window there before the watch scans is still the first scan's;
// after Disable nothing starts; a window renaming itself in a tight loop leaves the program answering at once.
// The found window is minimised, the alert's first effect that can be seen at once (the lights follow a flashing
// interval later). Wine 8 sends win events of created windows but none of renamed ones, so the helpers that are
// renamed raise that event themselves, as Windows does inside the default window procedure
// (tests/win32/window_events_check.cpp lists what Wine sends).
#include <algorithm>

#include "e2e.h"

using vr::Ctl;

namespace {

// Watches the class (any, when empty) with the delay and scan given, Scroll Lock flashing every second and the
// found window minimised; the Match lines go in as given.
std::string iniEvents(const char* cls, unsigned delay, unsigned scan, const char* match = "") {
    return std::string("[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=") + std::to_string(delay) +
           "\r\nScanInterval=" + std::to_string(scan) +
           "\r\n[Lighting]\r\nLightingInterval=1000\r\n[FlashingPat]\r\nCaps=0\r\nNum=0\r\nScr=1\r\n"
           "[Actions]\r\nNothing=0\r\nMinimise=1\r\nClose=0\r\n[Advanced]\r\nHandlename=" +
           cls + "\r\n[Match]\r\n" + match;
}

// Milliseconds until the window is minimised, or -1 when it is not within ms.
long minimisedWithin(HWND window, DWORD ms) {
    const DWORD start = GetTickCount();
    if (!e2e::waitFor([&] { return IsIconic(window) != FALSE; }, ms)) return -1;
    return static_cast<long>(GetTickCount() - start);
}

bool scrollFlashes(DWORD ms) { return e2e::waitFor([] { return e2e::lockOn(VK_SCROLL); }, ms); }

// Past the delay: the watch scans, and listens.
void scanning(const e2e::App& app, DWORD delay) {
    app.click(Ctl::btnExecute);
    e2e::waitFor([] { return false; }, delay + 500);
}

}  // namespace

E2E_CASE(window_events_alert_within_a_second_when_a_window_appears_or_comes_to_fit_though_the_scan_waits_a_minute) {
    e2e::setLock(VK_SCROLL, false);
    {
        e2e::App app(iniEvents("VigilampEventNew", 1000, 60000));
        scanning(app, 1000);
        e2e::Target target("VigilampEventNew", "New");  // returns once its window exists
        const long ms = minimisedWithin(target.window(), 1000);
        e2e::check(ms >= 0, "a window of the class that appears is found at once, not at the scan a minute away",
                   std::to_string(ms) + " ms after it appeared");
        e2e::check(scrollFlashes(2500), "and the lights flash");
        app.click(Ctl::btnDisable);
        e2e::setLock(VK_SCROLL, false);
    }
    {
        e2e::Target target("VigilampEventTitled", "Inbox", false, "announce");
        e2e::App app(iniEvents("", 1000, 60000, "Title=(*) Inbox\r\nTitleEnable=1\r\n"));
        scanning(app, 1000);
        SetWindowTextA(target.window(), "Inbox, read");
        e2e::check(minimisedWithin(target.window(), 1500) < 0, "a new title that does not fit starts nothing");
        SetWindowTextA(target.window(), "(1) Inbox");
        const long ms = minimisedWithin(target.window(), 1000);
        e2e::check(ms >= 0, "a window retitled to fit the title rule is found at once",
                   std::to_string(ms) + " ms after the new title");
        e2e::check(scrollFlashes(2500), "and the lights flash");
        app.click(Ctl::btnDisable);
        e2e::setLock(VK_SCROLL, false);
    }
}

E2E_CASE(window_events_leave_a_window_there_during_the_delay_to_the_first_scan_and_start_nothing_after_disable) {
    e2e::setLock(VK_SCROLL, false);
    {
        e2e::App app(iniEvents("VigilampEventEarly", 2000, 1000));
        app.click(Ctl::btnExecute);
        const DWORD executed = GetTickCount();
        e2e::Target target("VigilampEventEarly", "Early");  // while the delay runs: no event is listened for yet
        const DWORD appeared = GetTickCount() - executed;
        const bool early = e2e::waitFor([&] { return IsIconic(target.window()) != FALSE; }, 2500 - appeared);
        e2e::check(!early, "a window that appears during the delay starts nothing before delay and scan",
                   "it appeared " + std::to_string(appeared) + " ms after Execute");
        const bool found = e2e::waitFor([&] { return IsIconic(target.window()) != FALSE; }, 3000);
        e2e::check(found, "the first scan finds it, after delay and scan as always",
                   std::to_string(GetTickCount() - executed) + " ms after Execute");
        app.click(Ctl::btnDisable);
        e2e::setLock(VK_SCROLL, false);
    }
    {
        e2e::App app(iniEvents("VigilampEventDisabled", 1000, 60000));
        scanning(app, 1000);
        app.click(Ctl::btnDisable);
        e2e::Target target("VigilampEventDisabled", "After Disable", false, "announce");
        SetWindowTextA(target.window(), "After Disable, renamed");
        e2e::check(minimisedWithin(target.window(), 1500) < 0 && !e2e::lockOn(VK_SCROLL),
                   "after Disable a new window and a new title start nothing");
        e2e::check(app.status() == "Vigilamp is idle.", "the status stays idle", app.status());
    }
    e2e::setLock(VK_SCROLL, false);
}

E2E_CASE(window_events_of_a_window_renaming_itself_in_a_tight_loop_leave_the_program_answering_at_once) {
    e2e::setLock(VK_SCROLL, false);
    e2e::App app(iniEvents("VigilampEventFits", 1000, 60000));
    scanning(app, 1000);
    {
        e2e::Target spinning("VigilampEventSpinning", "Spinning", false, "spin+announce");
        // For the five seconds it spins, the program's window is asked every 100 ms, as a user's click would.
        DWORD slowest = 0;
        int asked = 0, unanswered = 0;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 4500) {
            const DWORD at = GetTickCount();
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutA(app.main(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result)) ++unanswered;
            slowest = std::max(slowest, GetTickCount() - at);
            ++asked;
            e2e::waitFor([] { return false; }, 100);
        }
        e2e::check(unanswered == 0 && slowest < 500, "the program answers at once while a window renames itself",
                   std::to_string(asked) + " asks, the slowest " + std::to_string(slowest) + " ms");
        e2e::check(app.status() == "Vigilamp is active!", "and still watches", app.status());
    }
    // The spinning window's rounds are over: a window that fits is still found at once.
    e2e::Target target("VigilampEventFits", "Fits");
    const long ms = minimisedWithin(target.window(), 1000);
    e2e::check(ms >= 0, "after the flood a window that fits is found at once", std::to_string(ms) + " ms");
    app.click(Ctl::btnDisable);
    e2e::setLock(VK_SCROLL, false);
}
