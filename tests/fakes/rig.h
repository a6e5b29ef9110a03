// The main form wired to a model and fakes of every port, created as at start-up.
#pragma once
#include <functional>
#include <vector>

#include "fakes/fakes.h"
#include "form/main_form.h"

namespace vr::fake {

// The contents of a settings file as the rig finds it at start-up.
using Ini = std::vector<Profile::Entry>;

// A file that loads the controls' design-time values: the delay of 10000 ms, no pattern box ticked, "Start
// with Windows" unticked and the class "IMWindowClass". Tests of other behaviour start from it so that their
// timings and lights read as the design does.
inline Ini designTimeIni() {
    return {{"Status", "StartWithWindows", "0"}, {"Timers", "DelayValue", "10000"},
            {"FlashingPat", "Caps", "0"},         {"FlashingPat", "Num", "0"},
            {"FlashingPat", "Scr", "0"},          {"Advanced", "Handlename", "IMWindowClass"}};
}

inline constexpr const char* kExecutable = "C:\\Program Files\\Vigilamp\\vigilamp.exe";

struct Rig {
    Timers timers;
    Model model;
    View view{model};
    Windows windows;
    WindowEvents events;
    LockLights lights;
    Lamps lamps;
    Dialogs dialogs;
    Profile profile;
    Autostart autostart;
    Launcher launcher;
    MediaPlayer player;
    TrayIcon tray;
    Journal journal;  // the window lookups and commands, the shell and the player, in one order
    MainForm form{FormPorts{timers, model, view, windows, events, lights, lamps, dialogs, profile, autostart, launcher, player,
                            tray, kExecutable}};

    // Starts with no settings file.
    Rig() : Rig(Ini{}) {}
    // Starts with that file; prepare sets the other fakes' knobs before start-up.
    explicit Rig(const Ini& ini, const std::function<void(Rig&)>& prepare = {}) {
        for (const auto& e : ini) profile.set(e.section, e.key, e.value);
        windows.journal = launcher.journal = player.journal = &journal;
        lamps.locks = &lights;
        if (prepare) prepare(*this);
        timers.onTick = [this](int id) { form.timer(id); };
        form.create();
    }
    void click(Ctl c) { form.command(static_cast<int>(c)); }
    void menu(Cmd c) { form.command(static_cast<int>(c)); }
    // The user clicks a check box: the view toggles it and hands it to the model, then its click handling runs.
    void toggle(Ctl box) {
        view.checks.at(box) = !model.checked(box);
        model.userChecked(box, view.checks.at(box));
        click(box);
    }
    std::string status() { return view.texts.at(Ctl::lblStatus); }
    bool lightsOff() { return lights.allOff(); }
};

}  // namespace vr::fake
