// The main form's Advanced page: the list of titled top-level windows, the information about the selected one,
// and the target class it sets. The watch cycle reads the class from lblClassname at every scan tick, so a
// change here takes effect at the next one.
#include "survey/window_survey.h"
#include "ui/main_form.h"

namespace vr {

void MainForm::cbxEnableAdvancedClick() {
    const bool on = view_.checked(Ctl::cbxEnableAdvanced);
    for (Ctl control : {Ctl::btnScan, Ctl::btnSet, Ctl::lsbHandles}) view_.setEnabled(control, on);
    if (on) return view_.setText(Ctl::lblClassname, "");  // until a window is picked, no class is watched
    view_.setText(Ctl::lblClassname, kDefaultClass);
    settings.store(setting(Key::Handlename), view_);
}

void MainForm::btnScanClick() {
    view_.clearItems(Ctl::lsbHandles);
    for (const TopLevelWindow& window : titledWindows(windows_))
        view_.addItem(Ctl::lsbHandles, window.title, window.handle);
}

void MainForm::lsbHandlesClick() {
    const int index = view_.selectedItem(Ctl::lsbHandles);
    if (index < 0) return;
    const WindowHandle window = view_.itemData(Ctl::lsbHandles, index);
    if (window == 0) return;
    // The list is a snapshot: a window closed since the scan leaves the information and the class as they are.
    const auto className = windows_.classOf(window);
    const auto owner = windows_.ownerOf(window);
    if (!className || !owner) return;
    const std::string target = bufferText(*className, Windows::kClassChars);
    view_.setText(Ctl::lblHandle, handleInformation(window, target, *owner));
    view_.setText(Ctl::lblClassname, target);
}

void MainForm::btnSetClick() { settings.store(setting(Key::Handlename), view_); }

void MainForm::lblWarningClick() { dialogs_.warning(kAdvancedWarning); }

}  // namespace vr
