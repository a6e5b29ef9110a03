// The main form's help links: the user manual beside the executable and the web site.
#include "form/main_form.h"
#include "settings/paths.h"

namespace vr {

void MainForm::manualAsked() {
    // The manual by its full path, so that it opens whatever the current folder is; a missing manual is left to
    // the desktop.
    launcher_.document(folderOf(executable_) + manualName_);
}

void MainForm::lblURLClick() { launcher_.address(model.text(Ctl::lblURL) + "/"); }

}  // namespace vr
