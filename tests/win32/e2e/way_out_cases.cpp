// End-to-end cases of the ways out: every one leaves the three lock lights off, whatever they were before and
// whatever was flashing; a close request to any of the program's own windows ends it the ordinary way; an Exit
// taken while a Browse dialog is open keeps the stored program.
#include "e2e.h"

using vr::Cmd;
using vr::Ctl;

namespace {

constexpr int kLocks[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};

bool allOff() {
    return e2e::waitFor([] { return !e2e::lockOn(VK_CAPITAL) && !e2e::lockOn(VK_NUMLOCK) && !e2e::lockOn(VK_SCROLL); },
                        3000);
}

void setAll(bool on) {
    for (int vk : kLocks) e2e::setLock(vk, on);
}

std::string lights() {
    std::string s;
    for (int vk : kLocks) s += e2e::lockOn(vk) ? '1' : '0';
    return s;
}

// Watches the class with a one-second delay, scan and flash, all three lights in the pattern, the window left
// alone unless the action lines say otherwise.
std::string iniWatching(const char* cls, const char* actions = "Nothing=1\r\nMinimise=0\r\n") {
    return std::string("[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\nScanInterval=1000\r\n"
                       "[Lighting]\r\nLightingInterval=1000\r\n[FlashingPat]\r\nCaps=1\r\nNum=1\r\nScr=1\r\n"
                       "[Actions]\r\n") +
           actions + "[Advanced]\r\nHandlename=" + cls + "\r\n";
}

bool exitAnsweredYes(const e2e::App& app) {
    HWND box = app.waitBox("Confirm");
    if (box) e2e::App::answer(box, IDYES);
    return box && app.waitExit();
}

}  // namespace

E2E_CASE(every_way_out_leaves_the_lock_lights_off) {
    {  // The user's own Caps Lock, no alert: Vigilamp > Exit, Yes.
        setAll(false);
        e2e::setLock(VK_CAPITAL, true);
        e2e::App app(iniWatching("VigilampNoSuchWindow"));
        app.post(Cmd::Exit);
        e2e::check(exitAnsweredYes(app), "Exit from the menu bar, Yes, ends the program");
        e2e::check(allOff(), "with the user's own Caps Lock put off", lights());
    }
    {  // An alert flashing all three: Exit from the tray menu, Yes.
        setAll(false);
        e2e::Target target("VigilampWayOut", "Way out");
        e2e::App app(iniWatching("VigilampWayOut"));
        app.click(Ctl::btnExecute);
        e2e::check(e2e::waitFor([] { return e2e::lockOn(VK_NUMLOCK); }, 6000), "the alert flashes");
        e2e::check(e2e::choose(app, e2e::trayWindow(app), e2e::Exit), "Exit from the tray menu");
        e2e::check(exitAnsweredYes(app), "Yes ends the program");
        e2e::check(allOff(), "with every light off", lights());
        e2e::waitFor([] { return false; }, 1500);
        e2e::check(lights() == "000", "and they stay off", lights());
    }
    {  // All three on before the program started: the close box.
        setAll(true);
        e2e::App app(iniWatching("VigilampNoSuchWindow"));
        PostMessageA(app.main(), WM_CLOSE, 0, 0);
        e2e::check(app.waitExit(), "the close box ends the program");
        e2e::check(allOff(), "with every light off", lights());
    }
    {  // The session ends while the alert flashes.
        setAll(false);
        e2e::Target target("VigilampWayOut", "Way out");
        e2e::App app(iniWatching("VigilampWayOut"));
        app.click(Ctl::btnExecute);
        e2e::waitFor([] { return e2e::lockOn(VK_NUMLOCK); }, 6000);
        SendMessageA(app.main(), WM_QUERYENDSESSION, 0, 0);
        SendMessageA(app.main(), WM_ENDSESSION, TRUE, 0);
        e2e::check(allOff(), "logging off leaves every light off", lights());
    }
    setAll(false);
}

E2E_CASE(the_programs_own_windows_are_never_its_target_and_a_close_request_to_them_ends_it_the_ordinary_way) {
    // The user makes a class of the program's own windows the target, with "Close the window", and watches from
    // start-up: the program never finds itself, so it neither alerts nor closes itself at every start.
    setAll(false);
    for (const char* own : {"TApplication", "TfrmMain", "TrmTrayIcon", "TrmWindowEvents"}) {
        e2e::App app(iniWatching(own, "Close=1\r\nMinimise=0\r\n") + "[Match]\r\nWatchAtStart=1\r\n");
        e2e::check(app.status() == "Vigilamp is active!", std::string("watching for ") + own + " from start-up");
        e2e::check(!app.waitExit(4000), "it is still running after delay, scans and more", own);
        e2e::check(allOff(), "and raised no alert on itself", lights());
    }
    // Another program asks the hidden application window to close: the program ends the ordinary way.
    e2e::App app(iniWatching("VigilampNoSuchWindow"));
    app.click(Ctl::cbxDisableStat);  // a change that only the ordinary shutdown stores
    PostMessageA(GetWindow(app.main(), GW_OWNER), WM_CLOSE, 0, 0);
    e2e::check(app.waitExit(5000), "closing its application window ends the program");
    e2e::check(e2e::iniValue(app.iniPath(), "Status", "DisableStat") == "1", "after storing what it stores at the end",
               e2e::iniValue(app.iniPath(), "Status", "DisableStat"));

    e2e::App second(iniWatching("VigilampNoSuchWindow"));
    PostMessageA(e2e::trayWindow(second), WM_CLOSE, 0, 0);
    e2e::check(second.waitExit(), "closing the tray icon's window ends the program too");
    e2e::App third(iniWatching("VigilampNoSuchWindow"));
    const HWND events = third.findOwn("TrmWindowEvents");
    PostMessageA(events, WM_CLOSE, 0, 0);
    e2e::check(events && third.waitExit(),
               "and so does closing the hidden window that hears the window events");
    setAll(false);
}

E2E_CASE(exit_while_browse_is_open_keeps_the_stored_program) {
    e2e::App app(iniWatching("VigilampNoSuchWindow", "Enable=1\r\nFile=C:\\mine.exe\r\n"));
    app.send(Cmd::TrayShow);
    app.send(Cmd::ShowActionsPage);
    app.postClick(Ctl::btnBrowse);
    HWND dialog = app.waitBox("Open");
    e2e::check(dialog != nullptr, "Browse opens its dialog");
    if (!dialog) return;
    e2e::check(e2e::choose(app, e2e::trayWindow(app), e2e::Exit), "Exit from the tray menu over the dialog");
    e2e::check(exitAnsweredYes(app), "Yes ends the program");
    e2e::check(e2e::iniValue(app.iniPath(), "Actions", "File") == "C:\\mine.exe", "the stored program stands",
               e2e::iniValue(app.iniPath(), "Actions", "File"));
}
