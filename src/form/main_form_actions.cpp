// The main form's Actions page and the alert actions: the program to run, the sound to play and what is done to
// the found window, each read from its control at the moment of the alert.
#include "form/main_form_actions.h"

#include "form/main_form.h"
#include "settings/paths.h"

namespace vr {

const OpenFileRequest kProgramDialog{
    "Executable files (.exe)|*.exe|All files (*.*)|*.*",
    // The platform appends the extension without its dot: a typed "setup" finds setup.exe.
    "exe",
    "Desktop",
    /*mustExist=*/true,
    /*networkButton=*/false,
    /*readOnlyBox=*/true,
};

const OpenFileRequest kSoundDialog{
    "MPEG Layer-3 Audio (*.mp3)|*.mp3|Windows Media Audio (*.wma)|*.wma|"
    "Uncompressed Windows Audio (*.wav)|*.wav|Other files (*.*)|*.*",
    "",
    "",
    /*mustExist=*/false,
    /*networkButton=*/true,
    /*readOnlyBox=*/false,
};

std::string defaultSoundFor(const std::string& executable) { return folderOf(executable) + kDefaultSoundName; }

// ---- The alert

void MainForm::run(WindowHandle asked) {
    if (model.checked(Ctl::cbxEnable)) launcher_.program(model.text(Ctl::txtFile));
    // A player that refuses the file raises its error here, and the window is then left as it is.
    if (model.checked(Ctl::cbxAudEnable)) player_.setUrl(model.text(Ctl::txtAudFile));
    // The window that asked for attention, or the one the rule finds now: the window the scan found may have
    // gone, or the rule changed.
    const WindowHandle window = asked ? asked : windows_.find(windowRule(model));
    if (window == 0) return;
    if (model.checked(Ctl::rbnMinimise)) windows_.minimise(window);
    else if (model.checked(Ctl::rbnClose)) windows_.close(window);
    showDesktopState();
}

void MainForm::stopSound() { player_.stop(); }

void MainForm::closePlayer() {
    dispatch([&] { player_.close(); });
}

// ---- The program and the sound groups' shared steps

void MainForm::browseInto(const OpenFileRequest& request, Ctl path, Key enable, Key file) {
    // An empty name is a cancel whatever the dialog says (a dialog torn down by the program's exit answers
    // so), and never replaces the path.
    if (const auto chosen = dialogs_.openFile(request); chosen && !chosen->empty()) model.setText(path, *chosen);
    // Stored whether or not a file was chosen: what the page shows is what the file keeps.
    store(enable);
    store(file);
}

void MainForm::clearGroup(Ctl path, Ctl box, Key enable, Key file) {
    if (!dialogs_.confirm(kConfirmClear)) return;  // No leaves the page and the file as they are
    model.setText(path, "");
    setChecked(box, false);
    store(enable);
    store(file);
}

// ---- Program execution

void MainForm::cbxEnableClick() {
    const bool on = model.checked(Ctl::cbxEnable);
    for (Ctl control : {Ctl::txtFile, Ctl::btnBrowse, Ctl::btnClear}) model.setEnabled(control, on);
    store(Key::Enable);
}

void MainForm::btnBrowseClick() { browseInto(kProgramDialog, Ctl::txtFile, Key::Enable, Key::File); }

void MainForm::btnClearClick() { clearGroup(Ctl::txtFile, Ctl::cbxEnable, Key::Enable, Key::File); }

// ---- Play sounds

void MainForm::cbxAudEnableClick() {
    const bool on = model.checked(Ctl::cbxAudEnable);
    for (Ctl control : {Ctl::btnAudBrowse, Ctl::btnAudClear, Ctl::txtAudFile, Ctl::btnDefault})
        model.setEnabled(control, on);
    store(Key::AudioEnable);
    // Ticking never stores the path: at start-up the box is ticked before the stored path is read back.
    if (!on) store(Key::AudFile);
}

void MainForm::btnAudBrowseClick() {
    browseInto(kSoundDialog, Ctl::txtAudFile, Key::AudioEnable, Key::AudFile);
}

void MainForm::btnAudClearClick() {
    clearGroup(Ctl::txtAudFile, Ctl::cbxAudEnable, Key::AudioEnable, Key::AudFile);
}

void MainForm::btnDefaultClick() {
    // Shown only: the path is stored by Browse, Clear or unticking, like a typed one.
    model.setText(Ctl::txtAudFile, defaultSoundFor(executable_));
}

}  // namespace vr
