// End-to-end cases of the alert actions and the Actions page: the found window minimised, closed or left alone,
// the chosen program started, the sound given to the player and stopped, the Browse dialogs and Clear, and a
// watched window that hangs.
#include "e2e.h"

using vr::Cmd;
using vr::Ctl;

namespace {

// Watches cls with a one-second delay and scan, no lock light in the pattern and no start-up registration; the
// Actions lines go in as given.
std::string iniWatching(const char* cls, const std::string& actions = "", bool flashScroll = false) {
    return std::string("[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\nScanInterval=1000\r\n") +
           "[FlashingPat]\r\nCaps=0\r\nNum=0\r\nScr=" + (flashScroll ? "1" : "0") + "\r\n[Actions]\r\n" + actions +
           "[Advanced]\r\nHandlename=" + cls + "\r\n";
}

// True while another program has the file open without sharing write access, as a player reading it does.
bool heldOpen(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(f);
    return false;
}

// The file-type list's selected entry in an open dialog.
std::string selectedType(HWND dialog) {
    HWND types = e2e::childById(dialog, 0x470, true);  // cmb1
    if (!types) return "<no list>";
    return e2e::text(types);  // a drop-down list shows its selected entry
}

// Types a name into an open dialog's file name box and presses Open.
void chooseFile(HWND dialog, const std::string& name) {
    HWND box = e2e::childById(dialog, 0x47C, true);  // cmb13, the explorer style's name box
    if (!box) box = e2e::childById(dialog, 0x480, true);  // edt1
    e2e::check(box != nullptr, "the dialog has a file name box");
    if (!box) return;
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    e2e::App::answer(dialog, IDOK);
}

bool enabled(const e2e::App& app, Ctl id) { return IsWindowEnabled(app.control(id)) != FALSE; }

}  // namespace

E2E_CASE(the_found_window_is_minimised_closed_or_left_by_the_radio_choice) {
    const std::pair<Ctl, const char*> choices[] = {
        {Ctl::rbnMinimise, "Minimise"}, {Ctl::rbnClose, "Close"}, {Ctl::rbnNothing, "Nothing"}};
    for (auto [radio, name] : choices) {
        const std::string cls = std::string("VigilampAction") + name;
        e2e::Target target(cls.c_str());
        // Scroll Lock flashes, so the alert can be seen even when the window is left alone.
        e2e::setLock(VK_SCROLL, false);
        e2e::App app(iniWatching(cls.c_str(), "", true));
        app.click(radio);  // takes effect without Set
        app.click(Ctl::btnExecute);
        const bool alerted = e2e::waitFor([] { return e2e::lockOn(VK_SCROLL); }, 6000);
        e2e::check(alerted, std::string(name) + ": the alert flashes Scroll Lock");
        e2e::waitFor([] { return false; }, 300);
        if (radio == Ctl::rbnMinimise)
            e2e::check(IsIconic(target.window()) != FALSE, "Minimise: the window is minimised");
        else if (radio == Ctl::rbnClose)
            e2e::check(e2e::waitFor([&] { return !IsWindow(target.window()); }, 2000), "Close: the window is closed");
        else
            e2e::check(IsWindow(target.window()) && !IsIconic(target.window()), "Nothing: the window is untouched");
        e2e::check(!app.findOwn("#32770"), "no box was shown");
        app.click(Ctl::btnAction);
        const std::string stored = e2e::iniValue(app.iniPath(), "Actions", "Minimise") +
                                   e2e::iniValue(app.iniPath(), "Actions", "Close") +
                                   e2e::iniValue(app.iniPath(), "Actions", "Nothing");
        const char* expected = radio == Ctl::rbnMinimise ? "100" : radio == Ctl::rbnClose ? "010" : "001";
        e2e::check(stored == expected, std::string("Set stores the choice as ") + expected, stored);
        app.click(Ctl::btnDisable);
        e2e::setLock(VK_SCROLL, false);
    }
}

E2E_CASE(the_chosen_program_starts_minimised_at_the_alert) {
    e2e::Target target("VigilampActionProgram");
    e2e::App app(iniWatching("VigilampActionProgram", "Nothing=1\r\n"));
    const std::string program = app.folder() + "\\notify.exe";
    CopyFileA((e2e::here() + "\\e2e_marker.exe").c_str(), program.c_str(), FALSE);
    app.click(Ctl::cbxEnable);
    e2e::check(enabled(app, Ctl::txtFile) && enabled(app, Ctl::btnBrowse) && enabled(app, Ctl::btnClear),
               "ticking Enable enables the path box, Browse and Clear");
    app.setText(Ctl::txtFile, program.c_str());  // typed: takes effect without being stored
    app.click(Ctl::btnExecute);
    std::string record;
    e2e::waitFor([&] { return (record = e2e::fileText(program + ".ran")) != "<missing>"; }, 8000);
    e2e::check(record != "<missing>", "the program ran");
    e2e::check(record.rfind("2\r\n", 0) == 0, "asked to show minimised (SW_SHOWMINIMIZED)", record);
    const std::string commandLine = record.substr(record.find('\n') + 1);
    e2e::check(commandLine == program + "\r\n" || commandLine == "\"" + program + "\"\r\n",
               "with no parameters", commandLine);
    e2e::check(e2e::iniValue(app.iniPath(), "Actions", "File") == "<missing>", "the typed path was not stored");
}

E2E_CASE(the_default_sound_reaches_the_player_and_disable_stops_it) {
    e2e::Target target("VigilampActionSound");
    e2e::App app(iniWatching("VigilampActionSound", "Minimise=1\r\n"));
    app.click(Ctl::cbxAudEnable);
    e2e::check(enabled(app, Ctl::txtAudFile) && enabled(app, Ctl::btnAudBrowse) &&
                   enabled(app, Ctl::btnAudClear) && enabled(app, Ctl::btnDefault),
               "ticking Enable enables the path box, Browse, Clear and Default");
    app.click(Ctl::btnDefault);
    const std::string sound = app.folder() + "\\vigilampairraid.mp3";
    e2e::check(e2e::text(app.control(Ctl::txtAudFile)) == sound, "Default shows the sound beside the executable",
               e2e::text(app.control(Ctl::txtAudFile)));
    e2e::check(e2e::iniValue(app.iniPath(), "Actions", "AudFile") == "<missing>", "and stores nothing");
    app.click(Ctl::btnExecute);
    // A player that refused the sound would have skipped the window action and shown the error.
    const bool minimised = e2e::waitFor([&] { return IsIconic(target.window()) != FALSE; }, 6000);
    e2e::check(minimised, "the window action followed the sound");
    e2e::check(!app.findOwn("#32770"), "no error was shown");
    e2e::check(e2e::waitFor([&] { return heldOpen(sound); }, 1500), "the player has the sound file open");
    app.click(Ctl::btnDisable);
    e2e::check(e2e::waitFor([&] { return !heldOpen(sound); }, 3000), "Disable stops it and lets the file go");
    PostMessageA(app.main(), WM_CLOSE, 0, 0);
    e2e::check(app.waitExit(5000), "closing ends the program");
    e2e::check(!app.findOwn("#32770"), "closing the player showed nothing");
}

E2E_CASE(browse_cancelled_rewrites_the_shown_values_and_confirmed_takes_the_file) {
    e2e::App app(iniWatching("VigilampActionBrowse"));
    app.send(Cmd::TrayShow);
    app.send(Cmd::ShowActionsPage);
    app.click(Ctl::cbxEnable);
    app.setText(Ctl::txtFile, "C:\\typed.exe");
    app.postClick(Ctl::btnBrowse);
    HWND dialog = app.waitBox("Open");
    e2e::check(dialog != nullptr, "program Browse opens an Open dialog");
    if (!dialog) return;
    e2e::check(selectedType(dialog) == "Executable files (.exe)", "showing executables first", selectedType(dialog));
    e2e::waitFor([] { return false; }, 500);  // painted
    e2e::screenshot(dialog, "browse-program");
    e2e::App::answer(dialog, IDCANCEL);
    e2e::waitFor([&] { return !IsWindow(dialog); }, 3000);
    e2e::waitFor([&] { return e2e::iniValue(app.iniPath(), "Actions", "File") != "<missing>"; }, 2000);
    e2e::check(e2e::text(app.control(Ctl::txtFile)) == "C:\\typed.exe", "cancelled: the path box is unchanged");
    e2e::check(e2e::iniValue(app.iniPath(), "Actions", "Enable") == "1" &&
                   e2e::iniValue(app.iniPath(), "Actions", "File") == "C:\\typed.exe",
               "and Enable and File are stored as shown", e2e::iniValue(app.iniPath(), "Actions", "File"));

    // Confirmed: the chosen file replaces the path.
    const std::string program = app.folder() + "\\notify.exe";
    CopyFileA((e2e::here() + "\\e2e_marker.exe").c_str(), program.c_str(), FALSE);
    app.postClick(Ctl::btnBrowse);
    dialog = app.waitBox("Open");
    if (!dialog) return e2e::check(false, "the dialog opens again");
    chooseFile(dialog, program);
    e2e::waitFor([&] { return !IsWindow(dialog); }, 3000);
    e2e::check(e2e::waitFor([&] { return e2e::iniValue(app.iniPath(), "Actions", "File") == program; }, 3000),
               "confirmed: the chosen program is stored", e2e::iniValue(app.iniPath(), "Actions", "File"));
    e2e::check(e2e::text(app.control(Ctl::txtFile)) == program, "and shown");

    app.click(Ctl::cbxAudEnable);
    app.postClick(Ctl::btnAudBrowse);
    dialog = app.waitBox("Open");
    e2e::check(dialog != nullptr, "sound Browse opens an Open dialog");
    if (!dialog) return;
    e2e::check(selectedType(dialog) == "MPEG Layer-3 Audio (*.mp3)", "showing MP3 files first",
               selectedType(dialog));
    e2e::App::answer(dialog, IDCANCEL);
    e2e::waitFor([&] { return !IsWindow(dialog); }, 3000);
    e2e::check(e2e::waitFor([&] { return e2e::iniValue(app.iniPath(), "Actions", "AudFile") == ""; }, 2000) &&
                   e2e::iniValue(app.iniPath(), "Actions", "AudioEnable") == "1",
               "cancelled: AudioEnable and the empty AudFile are stored");
}

E2E_CASE(clear_answered_no_keeps_everything_and_yes_clears_the_program) {
    e2e::App app(iniWatching("VigilampActionClear", "Enable=1\r\nFile=C:\\x.exe\r\n"));
    e2e::check(app.checked(Ctl::cbxEnable) && enabled(app, Ctl::txtFile), "loaded ticked and enabled");
    const std::string before = e2e::fileText(app.iniPath());
    app.postClick(Ctl::btnClear);
    HWND box = app.waitBox("Confirm");
    e2e::check(box && e2e::App::boxText(box) == "Are you sure you want to clear the selected program?",
               "Clear asks first", box ? e2e::App::boxText(box) : "no box");
    if (!box) return;
    e2e::App::answer(box, IDNO);
    e2e::waitFor([&] { return !IsWindow(box); }, 3000);
    e2e::waitFor([] { return false; }, 300);
    e2e::check(app.checked(Ctl::cbxEnable) && e2e::text(app.control(Ctl::txtFile)) == "C:\\x.exe" &&
                   enabled(app, Ctl::btnBrowse),
               "No: the box, the path and the buttons stay");
    e2e::check(e2e::fileText(app.iniPath()) == before, "and the file is untouched");
    app.postClick(Ctl::btnClear);
    box = app.waitBox("Confirm");
    if (!box) return e2e::check(false, "Clear asks again");
    e2e::App::answer(box, IDYES);
    e2e::waitFor([&] { return !IsWindow(box); }, 3000);
    e2e::check(e2e::waitFor([&] { return e2e::iniValue(app.iniPath(), "Actions", "File").empty(); }, 2000),
               "Yes: File is stored empty");
    e2e::check(e2e::iniValue(app.iniPath(), "Actions", "Enable") == "0", "and Enable=0");
    e2e::check(!app.checked(Ctl::cbxEnable) && e2e::text(app.control(Ctl::txtFile)).empty(),
               "the box is unticked and the path empty");
    e2e::check(!enabled(app, Ctl::txtFile) && !enabled(app, Ctl::btnBrowse) && !enabled(app, Ctl::btnClear),
               "the path box, Browse and Clear are disabled");
}

E2E_CASE(a_hung_watched_window_does_not_freeze_the_program) {
    e2e::setLock(VK_SCROLL, false);
    // The helper stops answering messages a second after it starts; the alert comes two seconds after Execute.
    e2e::Target target("VigilampActionHung", "Hung", true);
    e2e::App app(iniWatching("VigilampActionHung", "Close=1\r\nMinimise=0\r\n", true));
    app.click(Ctl::btnExecute);
    e2e::check(e2e::waitFor([] { return e2e::lockOn(VK_SCROLL); }, 6000), "the alert flashes");
    e2e::check(e2e::waitFor([] { return !e2e::lockOn(VK_SCROLL); }, 3000) &&
                   e2e::waitFor([] { return e2e::lockOn(VK_SCROLL); }, 3000),
               "and goes on flashing");
    DWORD_PTR result = 0;
    const DWORD start = GetTickCount();
    const bool answered = SendMessageTimeoutA(app.main(), WM_COMMAND, static_cast<WPARAM>(Cmd::Disable), 0,
                                              SMTO_NORMAL, 3000, &result) != 0;
    e2e::check(answered, "Disable is answered", std::to_string(GetTickCount() - start) + " ms");
    e2e::check(app.status() == "Vigilamp is idle.", "and the program is idle", app.status());
    e2e::check(e2e::waitFor([] { return !e2e::lockOn(VK_SCROLL); }, 2000), "with the light off");
    e2e::setLock(VK_SCROLL, false);
}
