// End-to-end cases: start-up, the watch commands, the alert seen from outside, and the two ways to end.
#include "e2e.h"

using vr::Cmd;
using vr::Ctl;

namespace {

void allLocksOff() {
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) e2e::setLock(vk, false);
}

// Settings that give the controls their design-time values: a 10 s delay and no pattern box ticked.
constexpr const char* kDesignTimeIni =
    "[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=10000\r\n"
    "[FlashingPat]\r\nCaps=0\r\nNum=0\r\nScr=0\r\n";

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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

namespace {

struct BalloonSearch {
    const std::string& text;
    HWND found = nullptr;
};

BOOL CALLBACK balloonWithText(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<BalloonSearch*>(param);
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpiA(cls, "tooltips_class32") != 0 || !IsWindowVisible(window)) return TRUE;
    if (e2e::unicodeText(window).find(search.text) == std::string::npos) return TRUE;
    search.found = window;
    return FALSE;
}

// The shell's balloons are tooltips of the shell's own: the one that shows this text, or nullptr.
HWND balloonSaying(const std::string& text) {
    BalloonSearch search{text};
    EnumWindows(balloonWithText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

E2E_CASE(a_first_start_tells_once_where_the_program_went) {
    const std::string note = "is running in the notification area. Double-click its icon to open it.";
    std::string kept;
    {
        e2e::App app;  // no settings file: the very first start
        e2e::check(e2e::waitFor([&] { return balloonSaying(note) != nullptr; }, 5000), "the icon's balloon says where it went");
        app.post(Cmd::Exit);
        if (HWND box = app.waitBox("Confirm")) e2e::App::answer(box, IDYES);
        e2e::check(app.waitExit(), "Exit ends it, keeping what it keeps at the end");
        kept = e2e::fileText(app.iniPath());
    }
    e2e::App again(kept);
    e2e::check(!e2e::waitFor([&] { return balloonSaying(note) != nullptr; }, 2500), "the next start says nothing", kept);
}

E2E_CASE(commands_set_the_status_line) {
    e2e::App app;
    app.click(Ctl::btnExecute);
    e2e::check(app.status() == "Vigilamp is active!", "Execute: active", app.status());
    app.click(Ctl::btnDisable);
    e2e::check(app.status() == "Vigilamp is idle.", "Disable: idle", app.status());
    app.click(Ctl::btnReset);
    e2e::check(app.status() == "Vigilamp is active!", "Reset: active", app.status());
    app.send(Cmd::Disable);
    e2e::check(app.status() == "Vigilamp is idle.", "Status > Disable: idle", app.status());
    app.send(Cmd::Execute);
    e2e::check(app.status() == "Vigilamp is active!", "Status > Execute: active", app.status());
}

E2E_CASE(alert_flashes_after_delay_plus_scan_until_disabled) {
    allLocksOff();
    e2e::Target target;
    e2e::check(target.window() != nullptr, "the watched window exists");
    e2e::App app(kDesignTimeIni);
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
    app.post(Cmd::Exit);
    HWND box = app.waitBox("Confirm");
    e2e::check(box != nullptr, "Exit asks in a Confirm box");
    if (!box) return;
    e2e::check(e2e::App::boxText(box) == "Are you sure you wish to close Vigilamp?", "the question",
               e2e::App::boxText(box));
    e2e::check(e2e::text(GetDlgItem(box, IDYES)) == "&Yes" && e2e::text(GetDlgItem(box, IDNO)) == "&No",
               "the buttons read &Yes and &No");
    e2e::App::answer(box, IDNO);
    e2e::check(!app.waitExit(1500), "No keeps the program running");
    app.post(Cmd::Exit);
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

E2E_CASE(settings_file_loads_into_the_controls) {
    e2e::App app(
        "[Status]\r\nStartWithWindows=0\r\n"
        "[Timers]\r\nDelayValue=0x7D0\r\nScanInterval=abc\r\n"
        "[Lighting]\r\nLightingInterval=4000\r\n"
        "[FlashingPat]\r\nCaps=yes\r\nNum=0\r\nScr=2\r\n"
        "[Actions]\r\nMinimise=1\r\nClose=1\r\nEnable=1\r\nFile=C:\\x.exe\r\n"
        "[Advanced]\r\nHandlename=Notepad\r\n");
    e2e::check(!app.checked(Ctl::cbxStart), "Start with Windows unticked");
    e2e::check(e2e::text(app.control(Ctl::spnDelay)) == "2000", "hexadecimal delay",
               e2e::text(app.control(Ctl::spnDelay)));
    e2e::check(e2e::text(app.control(Ctl::spnScan)) == "1000", "a scan interval that is no number: the default",
               e2e::text(app.control(Ctl::spnScan)));
    e2e::check(e2e::text(app.control(Ctl::spnFlashing)) == "4000", "flashing interval");
    e2e::check(app.checked(Ctl::cbxFlshpatCaps) && !app.checked(Ctl::cbxFlshpatNum) &&
                   app.checked(Ctl::cbxFlshpatScr),
               "pattern: yes is the default (ticked), 0 unticked, 2 ticked");
    e2e::check(!app.checked(Ctl::rbnMinimise) && app.checked(Ctl::rbnClose) && !app.checked(Ctl::rbnNothing),
               "Minimise=1 and Close=1: Close selected");
    e2e::check(app.checked(Ctl::cbxEnable), "program Enable ticked");
    e2e::check(e2e::text(app.control(Ctl::txtFile)) == "C:\\x.exe", "program path",
               e2e::text(app.control(Ctl::txtFile)));
    e2e::check(e2e::iniValue(app.iniPath(), "Actions", "File") == "C:\\x.exe", "the file still holds the path");
    e2e::check(e2e::text(app.control(Ctl::lblClassname)) == "Notepad", "class name",
               e2e::text(app.control(Ctl::lblClassname)));
}

E2E_CASE(class_name_missing_is_the_default_class_and_empty_stays_empty) {
    {
        e2e::App app;
        e2e::check(e2e::text(app.control(Ctl::lblClassname)) == "IMWindowClass", "no file: IMWindowClass",
                   e2e::text(app.control(Ctl::lblClassname)));
        e2e::check(e2e::text(app.control(Ctl::spnDelay)) == "1000", "no file: the delay box shows 1000");
        e2e::check(!exists(app.iniPath()), "start-up creates no settings file");
    }
    e2e::App app("[Advanced]\r\nHandlename=\r\n");
    e2e::check(e2e::text(app.control(Ctl::lblClassname)).empty(), "Handlename= present but empty stays empty",
               e2e::text(app.control(Ctl::lblClassname)));
}

E2E_CASE(set_buttons_write_the_file) {
    e2e::App app("[Status]\r\nStartWithWindows=0\r\n");
    app.click(Ctl::cbxFlshpatNum);
    app.click(Ctl::btnFlshpatSet);
    const std::string ini = app.iniPath();
    e2e::check(e2e::iniValue(ini, "FlashingPat", "Caps") == "1" && e2e::iniValue(ini, "FlashingPat", "Num") == "0" &&
                   e2e::iniValue(ini, "FlashingPat", "Scr") == "1",
               "flashing pattern Set stores Caps=1 Num=0 Scr=1");
    app.setText(Ctl::spnDelay, "5000");
    app.click(Ctl::btnInitSet);
    e2e::check(e2e::iniValue(ini, "Timers", "DelayValue") == "5000", "initial delay Set stores 5000",
               e2e::iniValue(ini, "Timers", "DelayValue"));
    app.setText(Ctl::spnFlashing, "10001");
    app.postClick(Ctl::btnFlashSet);
    HWND box = app.waitBox("Error");
    e2e::check(box && e2e::App::boxText(box) ==
                          "This value is too high. Anything between 1000 and 10000 is acceptable.",
               "flashing interval 10001 is refused", box ? e2e::App::boxText(box) : "no box");
    if (box) e2e::App::answer(box, IDOK);
    e2e::waitFor([&] { return !app.findOwn("#32770"); }, 3000);
    e2e::check(e2e::iniValue(ini, "Lighting", "LightingInterval") == "<missing>", "and nothing is stored");
}

// Values whose edges a reader would trim, a sound that is a device, and a rule that names no window.
E2E_CASE(odd_values_survive_a_restart_a_device_never_plays_and_an_empty_rule_finds_nothing) {
    e2e::Target quiet("VigilampQuiet", "Quiet window");
    const std::string program = "C:\\Tools\\ notify.exe";  // a name beginning with a blank, as Browse would give
    std::string stored;
    {
        e2e::App app("[Status]\r\nStartWithWindows=0\r\n");
        app.type(Ctl::txtTitle, "\"*\"");
        app.click(Ctl::btnTitleSet);
        app.click(Ctl::cbxEnable);
        app.type(Ctl::txtFile, program);
        app.postClick(Ctl::btnBrowse);
        if (HWND dialog = app.waitBox("Open")) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // cancelled: the shown path is what Browse stores
            e2e::waitFor([&] { return !app.findOwn("#32770"); }, 3000);
        }
        stored = e2e::fileText(app.iniPath());
    }
    {
        e2e::App app(stored);
        e2e::check(e2e::unicodeText(app.control(Ctl::txtTitle)) == "\"*\"", "a pattern in quotes comes back whole",
                   e2e::unicodeText(app.control(Ctl::txtTitle)));
        e2e::check(e2e::unicodeText(app.control(Ctl::txtFile)) == program, "a path with a blank at its edge too",
                   e2e::unicodeText(app.control(Ctl::txtFile)));
    }
    // The sound is a named pipe: refused before any player opens it, and the window answers throughout.
    e2e::App app("[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\nScanInterval=1000\r\n"
                 "[FlashingPat]\r\nCaps=0\r\nNum=0\r\nScr=1\r\n[Actions]\r\nNothing=1\r\nMinimise=0\r\n"
                 "AudioEnable=1\r\nAudFile=\\\\.\\pipe\\vigilamp-e2e\r\n[Advanced]\r\nHandlename=VigilampQuiet\r\n");
    app.click(Ctl::btnExecute);
    HWND box = app.waitBox("Vigilamp Rizu!", 6000);
    e2e::check(box && e2e::App::boxText(box).find("it is a device, not a file") != std::string::npos,
               "a sound that is a device is refused with why", box ? e2e::App::boxText(box) : "no box");
    DWORD_PTR result = 0;
    e2e::check(SendMessageTimeoutA(app.main(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0,
               "and the program answers");
    if (box) e2e::App::answer(box, IDOK);
    app.click(Ctl::btnDisable);

    // No class and no pattern: the watch finds no window at all, a quiet one included.
    e2e::setLock(VK_SCROLL, false);
    e2e::App empty("[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\nScanInterval=1000\r\n"
                   "[FlashingPat]\r\nCaps=0\r\nNum=0\r\nScr=1\r\n[Actions]\r\nNothing=1\r\nMinimise=0\r\n"
                   "[Advanced]\r\nHandlename=\r\n[Match]\r\nAttention=1\r\n");
    empty.click(Ctl::btnExecute);
    e2e::check(!e2e::waitFor([] { return e2e::lockOn(VK_SCROLL); }, 4000), "an empty rule alerts on no quiet window");
    empty.click(Ctl::btnDisable);
}

E2E_CASE(refused_write_shows_the_exception_box_and_close_still_ends) {
    e2e::App app("[Status]\r\nStartWithWindows=0\r\n");
    // A directory where the file should be: every write is refused, even for an administrator.
    DeleteFileA(app.iniPath().c_str());
    CreateDirectoryA(app.iniPath().c_str(), nullptr);
    app.postClick(Ctl::btnFlshpatSet);
    HWND box = app.waitBox("Vigilamp Rizu!");
    const std::string expected = "Unable to write to " + app.iniPath() + ".";
    const std::string shown = box ? e2e::App::boxText(box) : "no box";
    e2e::check(shown == expected, "the exception box names the file", shown);
    if (box) e2e::App::answer(box, IDOK);
    e2e::waitFor([&] { return !app.findOwn("#32770"); }, 3000);
    PostMessageA(app.main(), WM_CLOSE, 0, 0);
    box = app.waitBox("Vigilamp Rizu!");
    e2e::check(box != nullptr, "closing shows the refused DisableStat store");
    if (box) e2e::App::answer(box, IDOK);
    e2e::check(app.waitExit(5000), "and the program still ends");
    RemoveDirectoryA(app.iniPath().c_str());
}

E2E_CASE(run_value_follows_the_start_with_windows_box) {
    // In a folder whose name has a space: unquoted, the value would start "...\vigilamp-e2e-<n>.exe" if one
    // were planted beside the folder.
    e2e::App app("", " Rizu");
    e2e::check(app.checked(Ctl::cbxStart), "no file: Start with Windows ticked");
    const std::string registered = e2e::machineValue(kRunKey, "Vigilamp Rizu");
    const std::string quoted = std::string("\"").append(app.exePath()).append("\"");  // GCC 12 warns falsely on +
    e2e::check(registered == quoted, "registered with the executable's path in quotes", registered);
    app.click(Ctl::cbxStart);
    e2e::check(e2e::machineValue(kRunKey, "Vigilamp Rizu") == "<missing>", "unticking removes the value");
    e2e::check(e2e::iniValue(app.iniPath(), "Status", "StartWithWindows") == "0", "and stores StartWithWindows=0");
    app.click(Ctl::cbxStart);
    e2e::check(e2e::machineValue(kRunKey, "Vigilamp Rizu") != "<missing>", "ticking registers again");
    e2e::check(e2e::iniValue(app.iniPath(), "Status", "StartWithWindows") == "1", "and stores StartWithWindows=1");
    app.click(Ctl::cbxStart);
}

E2E_CASE(stored_start_with_windows_off_removes_the_value_at_start_up) {
    const e2e::App first;  // registers the value, and stays running so the value stays
    e2e::check(e2e::machineValue(kRunKey, "Vigilamp Rizu") != "<missing>", "a first start registered");
    e2e::App app("[Status]\r\nStartWithWindows=0\r\n");
    e2e::check(!app.checked(Ctl::cbxStart), "the box stays unticked");
    e2e::check(e2e::machineValue(kRunKey, "Vigilamp Rizu") == "<missing>", "start-up removed the value");
}
