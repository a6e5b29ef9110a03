// The main form wired to fakes of every port, created as at start-up, with a message loop that settles the
// keyboard before each tick as the real one does.
#pragma once
#include "fakes/fakes.h"
#include "ui/main_form.h"

namespace vr::fake {

struct Rig {
    Timers timers;
    View view;
    Windows windows;
    Keyboard keyboard;
    Dialogs dialogs;
    MainForm form{FormPorts{timers, view, windows, keyboard, dialogs}};

    Rig() {
        timers.onTick = [this](int id) {
            keyboard.settle();
            form.timer(id);
        };
        form.create();
    }
    // A command arrives through the message loop, so the key state has caught up with earlier presses.
    void click(Ctl c) {
        keyboard.settle();
        form.command(static_cast<int>(c));
    }
    void menu(Cmd c) {
        keyboard.settle();
        form.command(static_cast<int>(c));
    }
    std::string status() { return view.texts.at(Ctl::lblStatus); }
    bool lightsOff() { return !keyboard.on(20) && !keyboard.on(144) && !keyboard.on(145); }
};

}  // namespace vr::fake
