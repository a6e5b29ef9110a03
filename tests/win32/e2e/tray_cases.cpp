// End-to-end cases of the tray icon: the icon is there, its window answers the shell's callback (double click,
// right click and the menu's items), the icon comes back after the taskbar is re-created, the program never
// shows a taskbar button, and the icon flashes with an alert. Without a tray on the test display, the driver
// plays the shell: it sends the icon's window the callback message, asks the shell about the icon with a modify
// that changes nothing, and learns which icons it was handed from the probe inside the program.
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "e2e.h"
#include "menu_probe.h"

#include <shellapi.h>

using vr::Cmd;
using vr::Ctl;

namespace {

using e2e::choose;
using e2e::key;
using e2e::menuClosed;
using e2e::mouse;
using e2e::trayWindow;
using e2e::waitMenu;
using enum e2e::TrayItem;

HWND applicationWindow(const e2e::App& app) { return app.findOwn("TApplication"); }

// The shell holds an icon for the window: a modify without any field succeeds only then.
bool iconShown(HWND tray) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = tray;
    data.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

bool noTaskbarButton(const e2e::App& app) {
    HWND application = applicationWindow(app);
    return application && !IsWindowVisible(application) && GetWindow(app.main(), GW_OWNER) == application &&
           !(GetWindowLongA(app.main(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
}

POINT topLeft(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {r.left, r.top};
}

}  // namespace

E2E_CASE(tray_icon_is_added_at_start_up_and_its_window_hears_broadcasts) {
    e2e::App app;
    HWND tray = trayWindow(app);
    e2e::check(tray != nullptr, "the icon's window is a top-level window of the program");
    e2e::check(tray && !IsWindowVisible(tray) && !GetWindow(tray, GW_OWNER), "hidden and unowned");
    e2e::check(e2e::waitFor([&] { return iconShown(tray); }, 3000), "the shell holds the icon");
    e2e::check(noTaskbarButton(app), "no taskbar button: the application's window hidden, the main one owned by it");

    // The shell forgets the icon, as when it restarts; its new taskbar announces itself to every top-level window.
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = tray;
    data.uID = 1;
    Shell_NotifyIconA(NIM_DELETE, &data);
    e2e::check(!iconShown(tray), "the icon is gone from the shell");
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    e2e::check(e2e::waitFor([&] { return iconShown(tray); }, 3000), "TaskbarCreated brings it back");
}

E2E_CASE(tray_double_click_shows_the_main_window_in_front_where_it_was_hidden) {
    e2e::App app;
    HWND tray = trayWindow(app);
    mouse(tray, WM_LBUTTONDBLCLK);
    e2e::check(e2e::waitFor([&] { return IsWindowVisible(app.main()) != 0; }), "a double click shows the window");
    e2e::check(e2e::waitFor([&] { return GetForegroundWindow() == app.main(); }), "in front");

    // Already visible, but behind another program's window.
    e2e::Target other("OtherProgramWindow", "Other program");
    SetWindowPos(other.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(other.window());
    e2e::check(e2e::waitFor([&] { return GetForegroundWindow() == other.window(); }, 2000),
               "another program's window comes in front");
    mouse(tray, WM_LBUTTONDBLCLK);
    e2e::check(e2e::waitFor([&] { return GetForegroundWindow() == app.main(); }),
               "a double click brings the visible window back to the front");

    SetWindowPos(app.main(), nullptr, 123, 87, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const POINT moved = topLeft(app.main());
    app.send(Cmd::Hide);
    e2e::check(!IsWindowVisible(app.main()), "Hide hides it");
    mouse(tray, WM_LBUTTONDBLCLK);
    e2e::check(e2e::waitFor([&] { return IsWindowVisible(app.main()) != 0; }), "the double click shows it again");
    const POINT back = topLeft(app.main());
    e2e::check(back.x == moved.x && back.y == moved.y, "where it was hidden",
               std::to_string(back.x) + "," + std::to_string(back.y));
    e2e::check(noTaskbarButton(app), "and still no taskbar button");
    e2e::check(app.status() == "Vigilamp is idle.", "showing and hiding starts nothing", app.status());
}

E2E_CASE(tray_right_click_opens_the_menu_at_the_pointer_and_its_items_work) {
    e2e::App app;
    HWND tray = trayWindow(app);
    e2e::Target other("OtherProgramWindow", "Other program");
    SetForegroundWindow(other.window());
    e2e::waitFor([&] { return GetForegroundWindow() == other.window(); }, 2000);
    SetCursorPos(300, 400);
    mouse(tray, WM_RBUTTONUP);
    HWND menu = waitMenu(app);
    e2e::check(menu != nullptr, "a right click opens the menu");
    if (!menu) return;
    const POINT at = topLeft(menu);
    e2e::check(at.x == 300 && at.y == 400, "its top-left corner at the pointer",
               std::to_string(at.x) + "," + std::to_string(at.y));
    key(menu, VK_DOWN);
    e2e::waitFor([] { return false; }, 300);
    e2e::screenshot(menu, "tray-menu");
    key(menu, VK_ESCAPE);
    e2e::check(menuClosed(app), "Escape closes it");
    e2e::check(e2e::waitFor([&] { return GetForegroundWindow() == other.window(); }, 2000),
               "and the window that was in front has the keyboard again");
    e2e::check(!IsWindowVisible(app.main()) && app.status() == "Vigilamp is idle.", "and runs nothing");

    struct Command {
        e2e::TrayItem item;
        const char *name, *status;
    };
    for (const Command& c : {Command{Execute, "Execute", "Vigilamp is active!"},
                             Command{Disable, "Disable", "Vigilamp is idle."},
                             Command{Reset, "Reset", "Vigilamp is active!"}}) {
        const bool chosen = choose(app, tray, c.item);
        e2e::check(chosen && app.status() == c.status, std::string(c.name) + " sets the status line", app.status());
    }
    e2e::check(!IsWindowVisible(app.main()), "the watch commands leave the window hidden");
    e2e::check(choose(app, tray, Show) && e2e::waitFor([&] { return IsWindowVisible(app.main()) != 0; }),
               "Show Vigilamp Rizu! shows the window");
    e2e::check(e2e::waitFor([&] { return GetForegroundWindow() == app.main(); }), "in front");

    e2e::check(choose(app, tray, Exit), "Exit");
    HWND box = app.waitBox("Confirm");
    e2e::check(box && app.boxText(box) == "Are you sure you wish to close Vigilamp?", "asks to confirm",
               box ? app.boxText(box) : "no box");
    if (box) app.answer(box, IDNO);
    e2e::check(!app.waitExit(1000), "No keeps the program running");
    e2e::check(iconShown(tray), "with its icon");
    e2e::check(choose(app, tray, Exit), "Exit again");
    box = app.waitBox("Confirm");
    if (box) app.answer(box, IDYES);
    e2e::check(app.waitExit(), "Yes ends the program");
    e2e::check(!iconShown(tray), "and the icon is gone");
}

E2E_CASE(tray_minimising_by_any_means_leaves_no_taskbar_button) {
    e2e::App app;
    HWND tray = trayWindow(app);
    HWND application = applicationWindow(app);
    ShowWindow(application, SW_MINIMIZE);
    e2e::check(e2e::waitFor([&] { return !IsWindowVisible(application); }, 2000),
               "the application minimised from outside hides its taskbar window again");
    mouse(tray, WM_LBUTTONDBLCLK);
    e2e::check(e2e::waitFor([&] { return IsWindowVisible(app.main()) && !IsIconic(app.main()); }),
               "the double click still brings the main window back");

    const POINT where = topLeft(app.main());
    ShowWindow(app.main(), SW_MINIMIZE);
    e2e::check(e2e::waitFor([&] { return !IsWindowVisible(app.main()); }, 2000),
               "the main window minimised goes away into the tray");
    e2e::check(noTaskbarButton(app), "leaving no taskbar button");
    mouse(tray, WM_LBUTTONDBLCLK);
    e2e::check(e2e::waitFor([&] { return IsWindowVisible(app.main()) && !IsIconic(app.main()); }),
               "and comes back restored");
    const POINT back = topLeft(app.main());
    e2e::check(back.x == where.x && back.y == where.y, "where it was",
               std::to_string(back.x) + "," + std::to_string(back.y));

    SendMessageA(app.main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    e2e::check(!IsWindowVisible(app.main()) && noTaskbarButton(app), "the minimise command hides it too");
    e2e::check(app.running(), "and the program goes on");
}

namespace {

// The icons the program handed to the shell since the probe began to watch: when, and which picture.
struct Handed {
    DWORD tick;
    std::string picture;
};

std::vector<Handed> handedIcons(const e2e::App& app) {
    std::vector<Handed> handed;
    const std::string record = e2e::fileText(app.folder() + "\\" + e2e::kTrayIconsRecord);
    unsigned long tick = 0, message = 0;
    char picture[17] = "";
    for (std::size_t at = 0; at < record.size();) {
        const std::size_t end = record.find('\n', at);
        if (end == std::string::npos) break;  // a line still being written
        if (std::sscanf(record.c_str() + at, "%lu\t%lu\t%16s", &tick, &message, picture) == 3)
            handed.push_back({DWORD(tick), picture});
        at = end + 1;
    }
    return handed;
}

// What the record shows between two ticks: the pictures in order, and whether each change came about a flashing
// interval (1 s) after the one before.
struct Stretch {
    std::vector<std::string> pictures;
    bool inRhythm = true;
    std::string described;
};

Stretch between(const std::vector<Handed>& handed, DWORD from, DWORD to) {
    Stretch s;
    DWORD last = 0;
    for (const Handed& h : handed) {
        if (h.tick < from || h.tick > to) continue;
        if (!s.pictures.empty()) s.inRhythm = s.inRhythm && h.tick - last >= 600 && h.tick - last <= 1500;
        s.described += (s.pictures.empty() ? "" : " +" + std::to_string(h.tick - last)) + " " + h.picture.substr(0, 4);
        s.pictures.push_back(h.picture);
        last = h.tick;
    }
    return s;
}

// Two pictures, the usual one and another, each change the other way.
bool alternates(const Stretch& s, const std::string& usual) {
    const std::set<std::string> seen(s.pictures.begin(), s.pictures.end());
    if (s.pictures.size() < 3 || seen.size() != 2 || !seen.count(usual)) return false;
    for (std::size_t i = 1; i < s.pictures.size(); ++i)
        if (s.pictures[i] == s.pictures[i - 1]) return false;
    return true;
}

}  // namespace

E2E_CASE(the_tray_icon_flashes_with_the_alert_and_is_the_usual_one_after_each_way_out) {
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) e2e::setLock(vk, false);
    e2e::Target target("VigilampTrayFlash", "Tray flash");
    e2e::App app("[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\nScanInterval=1000\r\n"
                 "[Lighting]\r\nLightingInterval=1000\r\n[FlashingPat]\r\nCaps=1\r\nNum=0\r\nScr=0\r\n"
                 "[Advanced]\r\nHandlename=VigilampTrayFlash\r\n");
    HWND tray = trayWindow(app);
    const std::string answer = e2e::probe(app, tray, e2e::kProbeTrayIcons);
    e2e::check(answer == "<watching>\n", "the probe watches the icons the program hands to the shell", answer);
    // A new taskbar: the program hands it the icon it shows now, the usual one.
    PostMessageA(tray, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    e2e::check(e2e::waitFor([&] { return !handedIcons(app).empty(); }, 3000), "a new taskbar gets the icon");
    const std::string usual = handedIcons(app).empty() ? "" : handedIcons(app).front().picture;

    // An alert flashes a while and ends: Reset (the watch starts over and finds the window again), then Disable.
    for (const auto& [way, name] : {std::pair{Ctl::btnReset, "Reset"}, std::pair{Ctl::btnDisable, "Disable"}}) {
        const DWORD from = GetTickCount();
        if (way == Ctl::btnReset) app.click(Ctl::btnExecute);
        e2e::waitFor([] { return e2e::lockOn(VK_CAPITAL); }, 5000);
        e2e::waitFor([] { return false; }, 3000);
        e2e::waitFor([] { return e2e::lockOn(VK_CAPITAL); }, 1500);  // ended while lit
        const DWORD at = GetTickCount();
        app.click(way);
        e2e::waitFor([] { return false; }, 400);
        const Stretch alert = between(handedIcons(app), from, at);
        e2e::check(alternates(alert, usual) && alert.inRhythm,
                   std::string("the alert flashes a second picture with the usual one every second, until ") + name,
                   alert.described);
        const Stretch after = between(handedIcons(app), from, GetTickCount());
        e2e::check(!after.pictures.empty() && after.pictures.back() == usual,
                   std::string(name) + " shows the usual icon", after.described);
    }

    // Its box off and stored with the pattern's Set: the icon stays still while the alert flashes.
    app.click(Ctl::cbxFlashTrayIcon);
    app.click(Ctl::btnFlshpatSet);
    e2e::check(e2e::iniValue(app.iniPath(), "Lighting", "FlashTrayIcon") == "0", "Set keeps the box off",
               e2e::iniValue(app.iniPath(), "Lighting", "FlashTrayIcon"));
    const std::size_t before = handedIcons(app).size();
    app.click(Ctl::btnExecute);
    const bool flashed = e2e::waitFor([] { return e2e::lockOn(VK_CAPITAL); }, 5000);
    e2e::waitFor([] { return false; }, 2500);
    e2e::check(flashed && handedIcons(app).size() == before, "with its box off the alert leaves the icon still",
               between(handedIcons(app), 0, GetTickCount()).described);
    app.click(Ctl::btnDisable);
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) e2e::setLock(vk, false);
}
