// End-to-end cases: start-up, the watch commands, the alert seen from outside, and the two ways to end.
#include "e2e.h"

using vr::Cmd;
using vr::Ctl;

namespace {

void allLocksOff() {
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) e2e::setLock(vk, false);
}

}  // namespace

E2E_CASE(start_up_shows_no_window) {
    e2e::App app;
    e2e::check(app.main() != nullptr, "the main window exists");
    Sleep(500);
    bool anyVisible = false;
    for (HWND w : app.topLevelWindows()) anyVisible |= IsWindowVisible(w) != 0;
    e2e::check(!anyVisible, "no window of the program is visible");
    e2e::check(e2e::text(app.main()) == "Vigilamp Rizu!", "the caption", e2e::text(app.main()));
    e2e::check(app.status() == "Vigilamp is idle.", "the status line reads idle", app.status());
    RECT client;
    GetClientRect(app.main(), &client);
    e2e::check(client.right == 686 && client.bottom == 269, "client area 686 x 269",
               std::to_string(client.right) + " x " + std::to_string(client.bottom));
    const LONG style = GetWindowLongA(app.main(), GWL_STYLE);
    e2e::check((style & WS_SYSMENU) && !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)),
               "fixed border with only the system menu and close box");
}

E2E_CASE(commands_set_the_status_line) {
    e2e::App app;
    app.click(Ctl::btnExecute);
    e2e::check(app.status() == "Vigilamp is active!", "Execute: active", app.status());
    app.click(Ctl::btnDisable);
    e2e::check(app.status() == "Vigilamp is idle.", "Disable: idle", app.status());
    app.click(Ctl::btnReset);
    e2e::check(app.status() == "Vigilamp is active!", "Reset: active", app.status());
    app.send(Cmd::Disable2);
    e2e::check(app.status() == "Vigilamp is idle.", "Status > Disable: idle", app.status());
    app.send(Cmd::Execute1);
    e2e::check(app.status() == "Vigilamp is active!", "Status > Execute: active", app.status());
}

E2E_CASE(alert_flashes_after_delay_plus_scan_until_disabled) {
    allLocksOff();
    e2e::Target target;
    e2e::check(target.window() != nullptr, "the watched window exists");
    e2e::App app;
    app.click(Ctl::cbxFlshpatCaps);
    const DWORD start = GetTickCount();
    app.click(Ctl::btnExecute);
    // The design-time delay is 10 s and the scan interval 1 s: the first flash comes a second after the alert.
    e2e::waitFor([] { return false; }, 10000);
    e2e::check(!e2e::lockOn(VK_CAPITAL), "no flash before delay + scan interval");
    const bool flashed = e2e::waitFor([] { return e2e::lockOn(VK_CAPITAL); }, 5000);
    const DWORD elapsed = GetTickCount() - start;
    e2e::check(flashed && elapsed >= 11500, "Caps Lock flashes after the alert starts",
               std::to_string(elapsed) + " ms");
    e2e::check(e2e::waitFor([] { return !e2e::lockOn(VK_CAPITAL); }, 3000), "and goes off at the next tick");
    e2e::check(!e2e::lockOn(VK_NUMLOCK) && !e2e::lockOn(VK_SCROLL), "the lights outside the pattern stay off");
    e2e::waitFor([] { return e2e::lockOn(VK_CAPITAL); }, 3000);
    app.click(Ctl::btnDisable);
    e2e::check(e2e::waitFor([] { return !e2e::lockOn(VK_CAPITAL); }, 2000), "Disable puts the light off");
    e2e::waitFor([] { return false; }, 2500);
    e2e::check(!e2e::lockOn(VK_CAPITAL), "and it stays off");
    e2e::check(app.status() == "Vigilamp is idle.", "the status reads idle", app.status());
    allLocksOff();
}

E2E_CASE(exit_asks_no_keeps_running_yes_ends) {
    e2e::App app;
    app.post(Cmd::Exit2);
    HWND box = app.waitBox("Confirm");
    e2e::check(box != nullptr, "Exit asks in a Confirm box");
    if (!box) return;
    e2e::check(e2e::App::boxText(box) == "Are you sure you wish to close Vigilamp?", "the question",
               e2e::App::boxText(box));
    e2e::check(e2e::text(GetDlgItem(box, IDYES)) == "&Yes" && e2e::text(GetDlgItem(box, IDNO)) == "&No",
               "the buttons read &Yes and &No");
    e2e::App::answer(box, IDNO);
    e2e::check(!app.waitExit(1500), "No keeps the program running");
    app.post(Cmd::Exit2);
    box = app.waitBox("Confirm");
    if (box) e2e::App::answer(box, IDYES);
    e2e::check(box && app.waitExit(5000), "Yes ends the program");
}

E2E_CASE(close_box_ends_at_once) {
    e2e::App app;
    PostMessageA(app.main(), WM_CLOSE, 0, 0);
    e2e::check(app.waitExit(5000), "the program has ended");
    e2e::check(!app.findOwn("#32770"), "without a question");
}
