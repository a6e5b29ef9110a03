// The benchmark's in-process figures: the scan tick, the survey, the start-up and the lamps' flash tick, each
// beside a baseline that does the least possible, printed as a ratio. Nothing here fails on a time; the targets
// are printed with the figures for a person to judge. Runs under Wine beside vigilamp.exe and bare.exe.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "model/model.h"
#include "watch/watch_cycle.h"
#include "win32/adapters/driver_lamps.h"
#include "win32/adapters/ports_win32.h"
#include "win32/adapters/worker_thread.h"

namespace {

// The program is ready for the user once its notification-area icon's window exists: the icon is added as
// that window is created, after the main window.
constexpr const char* kReadyClass = "TrmTrayIcon";

std::string here() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of("\\/") + 1);
}

double seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

void row(const char* what, double value, double baseline, const char* unit, const char* target) {
    std::printf("%-44s %10.3f %-3s  baseline %10.3f %-3s  ratio %5.2f   %s\n", what, value, unit, baseline, unit,
                baseline > 0 ? value / baseline : 0.0, target);
    std::fflush(stdout);
}

// The scan tick as the program runs it: the delay timer switched off and the window looked for by the class the
// model holds, through the real adapters.
struct NoActions : vr::AlertActions {
    void run(vr::WindowHandle) override {}
    void stopSound() override {}
    void flashed(bool) override {}
};

// No way to the lamps: the scan tick never reaches them.
struct NoLamps : vr::Lamps {
    vr::LampRoute route() override { return vr::LampRoute::none; }
    void show(vr::LockStates) override {}
    void release() override {}
};

// The watch cycle over the real adapters and a model of its own, scanning.
struct Scanning {
    HWND host = CreateWindowA("STATIC", "bench", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    vr::win32::WindowTimers timers{host};
    vr::win32::SystemKeyboard keyboard;
    vr::win32::TopLevelWindows windows;
    vr::Model model{vr::Platform::windows};
    vr::win32::TKeyLed lights{keyboard};
    NoLamps lamps;
    NoActions actions;
    vr::WatchCycle cycle{timers, model, windows, lights, lamps, actions};
    Scanning() { cycle.execute(); }
    ~Scanning() {
        cycle.disable();
        DestroyWindow(host);
    }
};

void scanTick() {
    Scanning scanning;
    vr::WatchCycle& cycle = scanning.cycle;
    const int n = 20000;
    double t0 = seconds();
    for (int i = 0; i < n; ++i) FindWindowA("IMWindowClass", nullptr);
    const double bare = (seconds() - t0) / n * 1e6;
    t0 = seconds();
    for (int i = 0; i < n; ++i) cycle.tmrSearchTimer();
    const double tick = (seconds() - t0) / n * 1e6;
    row("scan tick (class not found)", tick, bare, "us", "bare: a FindWindowA call");
}

struct Process {
    PROCESS_INFORMATION info{};
    double started = 0;
    explicit Process(const std::string& exe, const std::string& args = "") {
        std::string line = "\"" + exe + "\" " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        started = seconds();
        CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, here().c_str(), &si, &info);
    }
    ~Process() {
        TerminateProcess(info.hProcess, 0);
        WaitForSingleObject(info.hProcess, 5000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
};

struct Found {
    DWORD pid;
    const char* cls;
    HWND window = nullptr;
};

BOOL CALLBACK byProcess(HWND window, LPARAM data) {
    auto* f = reinterpret_cast<Found*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == f->pid && std::strcmp(cls, f->cls) == 0) {
        f->window = window;
        return FALSE;
    }
    return TRUE;
}

// Seconds from the start of the process until it has a top-level window of that class.
double untilWindow(const Process& p, const char* cls) {
    for (;;) {
        Found f{p.info.dwProcessId, cls};
        EnumWindows(byProcess, reinterpret_cast<LPARAM>(&f));
        if (f.window) return seconds() - p.started;
        if (seconds() - p.started > 30) return -1;
        Sleep(1);
    }
}

// The survey's windows belong to a second copy of the bench ("bench.exe windows"): the program leaves its own
// process's windows out of every survey and scan, and so does the adapter here.
constexpr const char* kWindowsReady = "VigilampBenchWindowsReady";

// A titled top-level window on a thread that has not looked at its messages for more than five seconds: the
// system then counts it as hung, and a timed-out ask returns at once.
DWORD WINAPI hungWindow(LPVOID made) {
    CreateWindowA("STATIC", "Not responding", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetEvent(static_cast<HANDLE>(made));
    Sleep(INFINITE);
    return 0;
}

// "bench.exe windows": 500 titled top-level windows on this thread, which answers them, and the hung one; the
// named event is set once all exist, and the process runs until it is ended.
int otherProgramsWindows() {
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, kWindowsReady);
    HANDLE hungMade = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ready || !hungMade || !CreateThread(nullptr, 0, hungWindow, hungMade, 0, nullptr)) return 1;
    for (int i = 0; i < 500; ++i)
        CreateWindowA("STATIC", ("Survey window " + std::to_string(i)).c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                      nullptr, nullptr, nullptr);
    WaitForSingleObject(hungMade, 10000);
    SetEvent(ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

BOOL CALLBACK countTitled(HWND window, LPARAM count) {
    WCHAR title[129];
    if (InternalGetWindowText(window, title, 129) > 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The scan tick with a title rule that no window fits, over every window of the survey: by any class, and by
// the class all 500 of them share, beside the bare walk that reads every title (each read of another process's
// window is a call to Wine's server, so both are far slower there than on Windows).
void titleRuleTick(std::size_t windows, double bareTitlesMs) {
    Scanning scanning;
    vr::Model& model = scanning.model;
    model.setChecked(vr::Ctl::cbxTitleEnable, true);
    model.setText(vr::Ctl::txtTitle, "(*) Inbox*");
    const int n = 20;
    for (const char* cls : {"", "STATIC"}) {
        model.setText(vr::Ctl::lblClassname, cls);
        const double t0 = seconds();
        for (int i = 0; i < n; ++i) scanning.cycle.tmrSearchTimer();
        const double tick = (seconds() - t0) / n * 1000;
        char what[80];
        std::snprintf(what, sizeof what, "scan tick, title rule, %s (%zu windows)", *cls ? "class STATIC" : "any class",
                      windows);
        row(what, tick, bareTitlesMs, "ms", "target: within 3x; bare: EnumWindows reading every title");
    }
}

void survey() {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, kWindowsReady);
    Process windowsProgram(here() + "bench.exe", "windows");
    if (WaitForSingleObject(ready, 30000) != WAIT_OBJECT_0) {
        std::printf("window survey: the second process never made its windows; no survey figures\n");
        CloseHandle(ready);
        return;
    }
    CloseHandle(ready);
    Sleep(5500);  // the hung thread passes the system's five seconds

    vr::win32::TopLevelWindows windows;
    double t0 = seconds();
    std::size_t listed = 0;
    const int runs = 5;
    for (int i = 0; i < runs; ++i) listed = windows.topLevelWindows().size();
    const double ours = (seconds() - t0) / runs * 1000;
    int titled = 0;
    t0 = seconds();
    for (int i = 0; i < runs; ++i) EnumWindows(countTitled, reinterpret_cast<LPARAM>(&titled));
    const double bare = (seconds() - t0) / runs * 1000;
    char what[80];
    std::snprintf(what, sizeof what, "window survey (%zu windows, one hung)", listed);
    row(what, ours, bare, "ms", "target: within 2x; bare: EnumWindows reading titles without asking");
    titleRuleTick(listed, bare);
}

void startup() {
    double ours = 0, bare = 0;
    const int runs = 5;
    for (int i = 0; i < runs; ++i) {
        {
            Process p(here() + "bare.exe");
            bare += untilWindow(p, "BareTrayProgram");
        }
        {
            Process p(here() + "vigilamp.exe");
            ours += untilWindow(p, kReadyClass);
        }
    }
    row("start-up until the tray icon", ours / runs * 1000, bare / runs * 1000, "ms", "target: within 1.3x");
}

// The main window shown and painted: the first time (the background picture decoded then) beside the second.
void firstShow() {
    double first = 0, again = 0;
    const int runs = 5;
    for (int i = 0; i < runs; ++i) {
        Process p(here() + "vigilamp.exe");
        untilWindow(p, kReadyClass);
        Found f{p.info.dwProcessId, "TfrmMain"};
        EnumWindows(byProcess, reinterpret_cast<LPARAM>(&f));
        Sleep(500);  // the pages are built
        const auto show = [&] {
            const double t0 = seconds();
            SendMessageA(f.window, WM_COMMAND, WPARAM(vr::Cmd::TrayShow), 0);
            UpdateWindow(f.window);
            RedrawWindow(f.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            return seconds() - t0;
        };
        first += show();
        SendMessageA(f.window, WM_COMMAND, WPARAM(vr::Cmd::Hide), 0);
        again += show();
    }
    row("first show of the main window, painted", first / runs * 1000, again / runs * 1000, "ms",
        "baseline: the second show");
}

// --- the alert's latency: from a window's appearance, or its new title, to the alert's first effect

// Runs this thread's messages for ms: the program's minimise is a message sent to this thread's window.
void pumpFor(double ms) {
    const double end = seconds() + ms / 1000;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(1);
    } while (seconds() < end);
}

// Seconds until the window is minimised, pumping all the while; negative when it is not within limit.
double untilMinimised(HWND window, double limit) {
    const double start = seconds();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (IsIconic(window)) return seconds() - start;
        if (seconds() - start > limit) return -1;
        Sleep(1);
    }
}

std::string percentiles(std::vector<double> ms, const char* what, const char* target) {
    char line[240];
    if (ms.empty()) {
        std::snprintf(line, sizeof line, "%-44s   no trial saw the window minimised", what);
        return line;
    }
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, std::size_t(q * double(ms.size() - 1) + 0.5))]; };
    std::snprintf(line, sizeof line, "%-44s %10.1f ms median  %8.1f ms p95  (%zu trials)   %s", what, at(0.5),
                  at(0.95), ms.size(), target);
    return line;
}

LRESULT CALLBACK plainWindow(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND benchWindow(const char* title) {
    return CreateWindowA("BenchAppears", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                         nullptr, nullptr);
}

// What a trial does to the watched window. Every window is made on this thread, which keeps a window of its own
// throughout, as the program that opens a watched window mostly does; but a thread's first window brings the
// system's input-method window along (Windows and Wine alike), whose creation is heard first, and the window
// events then wait a round's gap before the window itself is checked: the last kind times that.
enum class Trial { appeared, retitled, firstWindow };

// The program in this folder, watching with the scan interval given and the found window minimised: the alert's
// first effect, which it takes at once (the lamps follow a flashing interval later). Each trial starts a watch,
// waits past the one-second delay, then makes a window of this process appear, or gives one that was there a
// title that fits, and pumps this thread's messages until the window is minimised; the clock starts as the
// window is asked for, so the figure holds its creation too. The helper window raises the rename event itself,
// as Windows does inside the default window procedure and Wine 8 does not.
void latency(unsigned scan, Trial kind, int trials) {
    const bool retitle = kind == Trial::retitled;
    HWND resident = kind == Trial::firstWindow ? nullptr
                                               : CreateWindowA("STATIC", "Bench resident", WS_POPUP, 0, 0, 10, 10,
                                                               nullptr, nullptr, nullptr, nullptr);
    std::ofstream(here() + "vigilamp.ini")
        << "[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\nScanInterval=" << scan
        << "\r\n[Lighting]\r\nLightingInterval=1000\r\n[FlashingPat]\r\nCaps=0\r\nNum=0\r\nScr=1\r\n"
           "[Actions]\r\nNothing=0\r\nMinimise=1\r\nClose=0\r\n[Advanced]\r\nHandlename="
        << (retitle ? "" : "BenchAppears") << "\r\n[Match]\r\nTitle=(*) Bench\r\nTitleEnable=" << (retitle ? 1 : 0)
        << "\r\n";
    Process program(here() + "vigilamp.exe");
    untilWindow(program, kReadyClass);
    Found main{program.info.dwProcessId, "TfrmMain"};
    EnumWindows(byProcess, reinterpret_cast<LPARAM>(&main));
    const auto command = [&](vr::Cmd c) { PostMessageA(main.window, WM_COMMAND, WPARAM(c), 0); };
    std::vector<double> minimised;
    int missed = 0;
    for (int i = 0; i < trials; ++i) {
        HWND window = retitle ? benchWindow("Bench") : nullptr;
        command(vr::Cmd::Execute);
        pumpFor(1300 + (i % 10) * 50.0);  // past the delay, at a different point of the scan each time
        // Wine tells a thread of hooks set elsewhere only with a message it takes; a program's thread takes them
        // all the time, this one idles meanwhile, so it is given one.
        PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
        pumpFor(0);
        const double start = seconds();
        if (retitle) {
            SetWindowTextA(window, "(1) Bench");
            NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_WINDOW, CHILDID_SELF);
        } else {
            window = benchWindow("Bench");
        }
        if (untilMinimised(window, std::min(scan, 5000u) / 1000.0 + 3) >= 0)
            minimised.push_back((seconds() - start) * 1000);
        else ++missed;
        command(vr::Cmd::Disable);  // before the first flash tick: the lamps never light
        DestroyWindow(window);
        pumpFor(100);
    }
    if (resident) DestroyWindow(resident);
    char what[80];
    if (kind == Trial::firstWindow)
        std::snprintf(what, sizeof what, "alert after a thread's first window, %u ms", scan);
    else
        std::snprintf(what, sizeof what, "alert after a window %s, scan %u ms", retitle ? "retitled" : "appeared",
                      scan);
    std::string line = percentiles(minimised, what,
                                   kind == Trial::firstWindow
                                       ? "for information: its input-method window is heard first"
                                       : "target: median under 20 ms, p95 under 50 ms");
    if (missed) line += "  " + std::to_string(missed) + " trials never minimised";
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// --- the lamps: each way to them, per flash tick, on the caller's thread (the program's own)

double medianOf(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The real keyboard calls, with the presses counted: a tick the key states did not follow would switch nothing.
class CountedKeyboard final : public vr::win32::KeyboardApi {
public:
    std::uint8_t keyState(std::uint8_t vk) override { return real.keyState(vk); }
    void state(std::uint8_t keys[256]) override { real.state(keys); }
    void setState(const std::uint8_t keys[256]) override { real.setState(keys); }
    void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
        ++events;
        real.keyEvent(vk, scan, flags);
    }
    int platformId() override { return real.platformId(); }
    vr::win32::SystemKeyboard real;
    long events = 0;
};

// A keyboard class device whose every call takes 20 ms, as a slow or busy device would; keyboard 0 is present.
// Wine has no keyboard class device, so this is the only device the driver's route can be timed over here.
class SlowKeyboardDevices final : public vr::win32::KeyboardDevices {
public:
    static constexpr DWORD kCallMs = 20;
    std::atomic<int> calls{0}, sets{0};

    std::uint32_t processId() override { return GetCurrentProcessId(); }
    bool define(const std::string&, const std::string&) override { return slow(); }
    Device open(const std::string& name) override {
        slow();
        return name.size() > 2 && name.compare(name.size() - 2, 2, "_0") == 0 ? 1 : 0;
    }
    bool setIndicators(Device, std::uint16_t, std::uint16_t) override {
        ++sets;
        return slow();
    }
    void close(Device) override { slow(); }
    bool remove(const std::string&, const std::string&) override { return slow(); }

private:
    bool slow() {
        ++calls;
        Sleep(kCallMs);
        return true;
    }
};

// The pattern of the n-th flash tick: the ticks alternate between all three lamps lit and all out.
vr::LockStates tickPattern(int n) {
    const bool lit = n % 2 == 0;
    return {lit, lit, lit};
}

void lamps() {
    std::printf("-- the lamps per flash tick, on the program's own thread: a keystroke waits at most this long, so the\n"
                "   caller's time per show is the figure for a keystroke not delayed (target: well under 1 ms)\n");
    const int ticks = 200;
    CountedKeyboard keyboard;
    vr::win32::TKeyLed locks{keyboard};
    locks.loaded();
    for (vr::LockKey key : {vr::LockKey::Caps, vr::LockKey::Num, vr::LockKey::Scroll}) locks.set(key, false);

    // The least that switches the three locks: each key's press and release, and nothing read.
    double t0 = seconds();
    for (int n = 0; n < ticks; ++n)
        for (std::uint8_t vk : vr::win32::TKeyLed::kVirtualKey) {
            keybd_event(vk, vr::win32::TKeyLed::kScanCode, KEYEVENTF_EXTENDEDKEY, 0);
            keybd_event(vk, vr::win32::TKeyLed::kScanCode, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
        }
    const double bare = (seconds() - t0) / ticks * 1e6;
    keyboard.events = 0;
    t0 = seconds();
    for (int n = 0; n < ticks; ++n) {
        const vr::LockStates shown = tickPattern(n);
        locks.set(vr::LockKey::Caps, shown.caps);
        locks.set(vr::LockKey::Num, shown.num);
        locks.set(vr::LockKey::Scroll, shown.scroll);
    }
    const double lockTick = (seconds() - t0) / ticks * 1e6;
    char note[160];
    std::snprintf(note, sizeof note, "bare: the keys' presses alone; %.1f presses a tick (6: every lock switched)",
                  double(keyboard.events) / ticks);
    row("flash tick, locks (TKeyLed, 3 sets)", lockTick, bare, "us", note);
    for (vr::LockKey key : {vr::LockKey::Caps, vr::LockKey::Num, vr::LockKey::Scroll}) locks.set(key, false);

    // The driver's route over its real worker thread and a device that takes 20 ms a call.
    SlowKeyboardDevices devices;
    vr::win32::ThreadWorker worker;
    vr::win32::DriverLamps driver{devices, worker, locks};  // probes the 32 keyboards: about 2 s here
    if (driver.route() != vr::LampRoute::keyboardDriver) {
        std::printf("flash tick, lamps alone (DriverLamps): the slow device gave no route; no figures\n");
        return;
    }
    std::vector<double> perShow;
    double drain[2] = {};
    int sets[2] = {}, calls[2] = {};
    for (int round = 0; round < 2; ++round) {  // the alert's first shows open the keyboards; later ones find them
        const int setsBefore = devices.sets, callsBefore = devices.calls;
        const double first = seconds();
        for (int n = 0; n < 50; ++n) {
            const double s0 = seconds();
            driver.show(tickPattern(n));
            perShow.push_back((seconds() - s0) * 1e6);
        }
        worker.settle(30000);
        drain[round] = (seconds() - first) * 1000;
        sets[round] = devices.sets - setsBefore;
        calls[round] = devices.calls - callsBefore;
    }
    // The first show of an alert wakes the worker; the rest mostly find a job waiting.
    const double slowest = *std::max_element(perShow.begin() + 1, perShow.end());
    std::snprintf(note, sizeof note, "baseline: the locks' tick; first %.1f us, slowest of the rest %.1f us; fake "
                  "device, 20 ms a call (Wine opens no keyboard)", perShow.front(), slowest);
    row("flash tick, lamps (DriverLamps::show)", medianOf(perShow), lockTick, "us", note);
    std::snprintf(note, sizeof note, "baseline: one device call; %d calls, %d sets (waiting shows merge)", calls[1],
                  sets[1]);
    row("  worker drains 50 shows, keyboards open", drain[1], SlowKeyboardDevices::kCallMs, "ms", note);
    std::snprintf(note, sizeof note, "the alert's first: opens the keyboards; %d calls, %d sets", calls[0], sets[0]);
    row("  worker drains 50 shows, first of an alert", drain[0], SlowKeyboardDevices::kCallMs, "ms", note);
    driver.release();
    worker.settle(30000);
}

}  // namespace

// With "execute" it only starts a watch in the running program; with "windows" it makes the survey's windows
// and runs until ended; with "latency [trials]" it times the alert after window events in a copy of the program
// it starts itself; with "lamps" it prints the lamps' figures alone; otherwise every in-process figure.
// The idle cost and the memory are read from the outside by the script, from the processes' own accounts.
int main(int argc, char** argv) {
    const auto asked = [&](const char* what) { return argc > 1 && std::strcmp(argv[1], what) == 0; };
    if (asked("execute"))
        return PostMessageA(FindWindowA("TfrmMain", nullptr), WM_COMMAND, WPARAM(vr::Cmd::Execute), 0) ? 0 : 1;
    if (asked("windows")) return otherProgramsWindows();
    if (asked("latency")) {
        const int trials = argc > 2 ? std::atoi(argv[2]) : 50;
        WNDCLASSA wc{};
        wc.lpfnWndProc = plainWindow;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BenchAppears";
        RegisterClassA(&wc);
        for (const unsigned scan : {1000u, 60000u})
            for (const Trial kind : {Trial::appeared, Trial::retitled}) latency(scan, kind, trials);
        latency(60000, Trial::firstWindow, trials);
        return 0;
    }
    if (asked("lamps")) {
        lamps();
        return 0;
    }
    scanTick();
    survey();
    startup();
    firstShow();
    lamps();
    return 0;
}
