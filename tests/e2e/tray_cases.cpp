// End-to-end cases of the tray icon: the icon is there, its window answers the shell's callback (double click,
// right click and the menu's items), the icon comes back after the taskbar is re-created, and the program never
// shows a taskbar button. Without a tray on the test display, the driver plays the shell: it sends the icon's
// window the callback message and asks the shell about the icon with a modify that changes nothing.
#include "e2e.h"

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
