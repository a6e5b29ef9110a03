// The main form's Actions page and the alert actions: the program to run, the sound to play and what is done to
// the found window, each read from its control at the moment of the alert.
#include "ui/main_form_actions.h"

#include "ui/main_form.h"

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

std::string defaultSoundFor(const std::string& executable) {
    const auto folderEnd = executable.find_last_of("\\/:");
    const std::string folder = folderEnd == std::string::npos ? "" : executable.substr(0, folderEnd + 1);
    return folder + kDefaultSoundName;
}

// ---- The alert

void MainForm::run() {
    if (view_.checked(Ctl::cbxEnable))
        shell_.open(0, "open", view_.text(Ctl::txtFile), "", "", Shell::Show::minimized);
    // A player that refuses the file raises its error here, and the window is then left as it is.
    if (view_.checked(Ctl::cbxAudEnable)) player_.setUrl(view_.text(Ctl::txtAudFile));
    // Looked up again by the class shown now: the window the scan found may have gone, or the class changed.
    const WindowHandle window = windows_.findByClass(view_.text(Ctl::lblClassname));
    if (window == 0) return;
    if (view_.checked(Ctl::rbnMinimise)) windows_.sysCommand(window, kScMinimize);
    else if (view_.checked(Ctl::rbnClose)) windows_.sysCommand(window, kScClose);
}

void MainForm::stopSound() { player_.stop(); }

void MainForm::closePlayer() {
    dispatch([&] { player_.close(); });
}

// ---- Window action

void MainForm::btnActionClick() {
    // Choosing a button takes effect at the next alert by itself; Set only keeps the choice.
    for (Key key : {Key::Minimise, Key::Close, Key::Nothing}) settings.store(setting(key), view_);
}

// ---- The program and the sound groups' shared steps

void MainForm::browseInto(const OpenFileRequest& request, Ctl path, Key enable, Key file) {
    if (const auto chosen = dialogs_.openFile(request)) view_.setText(path, *chosen);
    // Stored whether or not a file was chosen: what the page shows is what the file keeps.
    settings.store(setting(enable), view_);
    settings.store(setting(file), view_);
}

void MainForm::clearGroup(Ctl path, Ctl box, Key enable, Key file) {
    if (!dialogs_.confirm(kConfirmClear)) return;  // No leaves the page and the file as they are
    view_.setText(path, "");
    setChecked(box, false);
    settings.store(setting(enable), view_);
    settings.store(setting(file), view_);
}

// ---- Program execution

void MainForm::cbxEnableClick() {
    const bool on = view_.checked(Ctl::cbxEnable);
    for (Ctl control : {Ctl::txtFile, Ctl::btnBrowse, Ctl::btnClear}) view_.setEnabled(control, on);
    settings.store(setting(Key::Enable), view_);
}

void MainForm::btnBrowseClick() { browseInto(kProgramDialog, Ctl::txtFile, Key::Enable, Key::File); }

void MainForm::btnClearClick() { clearGroup(Ctl::txtFile, Ctl::cbxEnable, Key::Enable, Key::File); }

// ---- Play sounds

void MainForm::cbxAudEnableClick() {
    const bool on = view_.checked(Ctl::cbxAudEnable);
    for (Ctl control : {Ctl::btnAudBrowse, Ctl::btnAudClear, Ctl::txtAudFile, Ctl::btnDefault})
        view_.setEnabled(control, on);
    settings.store(setting(Key::AudioEnable), view_);
    // Ticking never stores the path: at start-up the box is ticked before the stored path is read back.
    if (!on) settings.store(setting(Key::AudFile), view_);
}

void MainForm::btnAudBrowseClick() {
    browseInto(kSoundDialog, Ctl::txtAudFile, Key::AudioEnable, Key::AudFile);
}

void MainForm::btnAudClearClick() {
    clearGroup(Ctl::txtAudFile, Ctl::cbxAudEnable, Key::AudioEnable, Key::AudFile);
}

void MainForm::btnDefaultClick() {
    // Shown only: the path is stored by Browse, Clear or unticking, like a typed one.
    view_.setText(Ctl::txtAudFile, defaultSoundFor(executable_));
}

}  // namespace vr
