// The main form's help links: the user manual beside the executable and the web site.
#include "form/main_form.h"
#include "settings/paths.h"

namespace vr {

void MainForm::manualAsked() {
    // The manual by its full path, with its folder as the working directory, so that it opens whatever the
    // current directory is; a missing manual is left to the shell.
    const std::string folder = folderOf(executable_);
    shell_.open(view_.window(), "open", folder + manualName_, "", folder, Shell::Show::maximized);
}

void MainForm::lblURLClick() {
    shell_.open(view_.window(), "open", model.text(Ctl::lblURL) + "/", "", "", Shell::Show::maximized);
}

}  // namespace vr
