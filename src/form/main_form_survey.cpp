// The main form's Advanced page: the list of titled top-level windows, the information about the selected one,
// and the target class it sets. The watch cycle reads the class from the model at every scan tick, so a change
// here takes effect at the next one; its Set button stores it.
#include "survey/window_survey.h"
#include "form/main_form.h"

namespace vr {

void MainForm::cbxEnableAdvancedClick() {
    const bool on = model.checked(Ctl::cbxEnableAdvanced);
    for (Ctl control : {Ctl::btnScan, Ctl::btnSet, Ctl::lsbHandles}) model.setEnabled(control, on);
    if (on) return setTargetClass("");  // until a window is picked, no class is watched
    setTargetClass(kDefaultClass);
    store(Key::Handlename);
}

void MainForm::btnScanClick() {
    model.clearItems(Ctl::lsbHandles);
    for (const TopLevelWindow& window : titledWindows(windows_))
        model.addItem(Ctl::lsbHandles, {window.title, window.handle});
}

void MainForm::lsbHandlesClick() {
    const int index = model.selected(Ctl::lsbHandles);
    const auto& items = model.items(Ctl::lsbHandles);
    if (index < 0 || index >= static_cast<int>(items.size())) return;
    const WindowHandle window = items[static_cast<std::size_t>(index)].data;
    if (window == 0) return;
    // The list is a snapshot: a window closed since the scan leaves the information and the class as they are.
    const auto className = windows_.classOf(window);
    const auto owner = windows_.ownerOf(window);
    const auto title = windows_.titleOf(window);
    if (!className || !owner || !title) return;
    const std::string target = bufferText(*className, Windows::kClassChars);
    std::string information = handleInformation(window, target, *owner, windows_.terms());
    // What another program names its window is data: a class that would break the settings file's lines can be
    // watched now, but not kept.
    if (target.find_first_of("\r\n") != std::string::npos)
        information += "\r\nThis class holds a line break: it is watched now, but Set cannot keep it.";
    model.setText(Ctl::lblHandle, information);
    setTargetClass(target);
    // The picked window's whole title, as the rule reads it, ready to be made the title pattern on the Match page.
    model.setText(Ctl::txtTitle, patternForTitle(*title, kValueChars));
}

void MainForm::setTargetClass(const std::string& className) {
    model.setText(Ctl::lblClassname, className);
    model.setText(Ctl::lblMatchClass, className.empty() ? "(any class)" : className);
}

void MainForm::lblWarningClick() { dialogs_.warning(kAdvancedWarning); }

}  // namespace vr
