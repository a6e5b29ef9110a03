#include "ui/main_form.h"

#include <algorithm>
#include <cctype>

#include "settings/intervals.h"

namespace vr {

std::string exceptionText(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

MainForm::MainForm(const FormPorts& ports)
    : ledLights(ports.keyboard),
      watch(ports.timers, ports.view, ports.windows, ledLights, *this),
      tmrStatus(ports.timers, static_cast<int>(TimerId::tmrStatus), 500),
      settings(ports.profile),
      view_(ports.view),
      windows_(ports.windows),
      shell_(ports.shell),
      player_(ports.player),
      dialogs_(ports.dialogs),
      runKey_(ports.runKey),
      executable_(ports.executable) {}

void MainForm::create() {
    dispatch([&] {
        // The design-time state: lights unlit green, lit lime, and the status timer running.
        for (auto [light, key] : kStatusLights) {
            view_.led(light).setLow(kLightLow);
            view_.led(light).setHigh(kLightHigh);
        }
        tmrStatus.setEnabled(true);
    });
    ledLights.loaded();
    dispatch([&] { FormCreate(); });
}

void MainForm::close() { dispatch([&] { FormClose(); }); }

void MainForm::timer(int id) {
    dispatch([&] {
        if (id == tmrStatus.id()) tmrStatusTimer();
        else watch.onTimer(id);
    });
}

void MainForm::endSession() {
    // No lock light is left toggled when the session ends under a running alert.
    dispatch([&] { watch.stopAlert(); });
}

void MainForm::command(int id) {
    dispatch([&] {
        switch (static_cast<Cmd>(id)) {
        case Cmd::Status1: return selectPage("Status");
        case Cmd::imers1: return selectPage("Timers");
        case Cmd::Lighting1: return selectPage("Lighting");
        case Cmd::Actions1: return selectPage("Actions");
        case Cmd::Advanced1: return selectPage("Advanced");
        case Cmd::Hide1: return Hide1Click();
        case Cmd::Exit1:
        case Cmd::Exit2: return Exit2Click();
        case Cmd::Execute1:
        case Cmd::Reset1: return btnExecuteClick();
        case Cmd::Disable1:
        case Cmd::Disable2: return btnDisableClick();
        case Cmd::Reset2:
        case Cmd::Reset3: return btnResetClick();
        case Cmd::ShowVigilamp1: return ShowVigilamp1Click();
        case Cmd::VigilampDocumentation1: return VigilampDocumentation1Click();
        case Cmd::About1: return About1Click();
        }
        click(static_cast<Ctl>(id));
    });
}

void MainForm::click(Ctl control) {
    switch (control) {
    case Ctl::btnExecute: return btnExecuteClick();
    case Ctl::btnDisable: return btnDisableClick();
    case Ctl::btnReset: return btnResetClick();
    case Ctl::cbxDisableStat: return cbxDisableStatClick();
    case Ctl::btnFlshpatSet: return btnFlshpatSetClick();
    case Ctl::btnInitSet: return btnInitSetClick();
    case Ctl::btnScanSet: return btnScanSetClick();
    case Ctl::btnFlashSet: return btnFlashSetClick();
    case Ctl::cbxStart: return cbxStartClick();
    case Ctl::btnAction: return btnActionClick();
    case Ctl::cbxEnable: return cbxEnableClick();
    case Ctl::btnBrowse: return btnBrowseClick();
    case Ctl::btnClear: return btnClearClick();
    case Ctl::cbxAudEnable: return cbxAudEnableClick();
    case Ctl::btnAudBrowse: return btnAudBrowseClick();
    case Ctl::btnAudClear: return btnAudClearClick();
    case Ctl::btnDefault: return btnDefaultClick();
    case Ctl::cbxEnableAdvanced: return cbxEnableAdvancedClick();
    case Ctl::btnScan: return btnScanClick();
    case Ctl::lsbHandles: return lsbHandlesClick();
    case Ctl::btnSet: return btnSetClick();
    case Ctl::lblWarning: return lblWarningClick();
    case Ctl::lblURL: return lblURLClick();
    default: return;
    }
}

void MainForm::setChecked(Ctl box, bool on) {
    if (view_.checked(box) == on) return;
    view_.setChecked(box, on);
    click(box);
}

void MainForm::selectPage(std::string_view name) {
    auto same = [&](std::string_view page) {
        return std::equal(name.begin(), name.end(), page.begin(), page.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
    };
    for (int i = 0; i < static_cast<int>(std::size(kPageNames)); ++i) {
        if (!same(kPageNames[i])) continue;
        if (view_.page() != static_cast<Page>(i)) view_.showPage(static_cast<Page>(i));
        return;
    }
}

void MainForm::tmrStatusTimer() {
    // Setting a light to the state it shows redraws nothing, so a quiet tick costs no painting.
    const TKeyLed::States states = ledLights.readAll();
    for (auto [light, key] : kStatusLights) view_.led(light).setActive(states.of(key));
}

void MainForm::cbxDisableStatClick() {
    const bool disabled = view_.checked(Ctl::cbxDisableStat);
    tmrStatus.setEnabled(!disabled);
    for (auto [light, key] : kStatusLights) view_.led(light).setActive(!disabled);
    for (auto [light, key] : kStatusLights) view_.led(light).setLow(disabled ? kLightOffLow : kLightLow);
}

void MainForm::FormCreate() {
    loadSettings();
    // A registration that cannot be written is shown, and start-up still gives the timers their values.
    dispatch([&] { applyRegistration(false); });
    selectPage("Status");
    watch.tmrDelay.setInterval(intervalOf(kIntervals[0]));
    watch.tmrSearch.setInterval(intervalOf(kIntervals[1]));
    watch.tmrFlash.setInterval(intervalOf(kIntervals[2]));
}

unsigned MainForm::intervalOf(const IntervalSetting& setting) {
    return timerInterval(spinValue(view_.text(setting.spin), setting.minimum));
}

void MainForm::FormClose() {
    watch.stopAlert();
    closePlayer();
    storeDisableStat();
    view_.terminate();
}

void MainForm::Exit2Click() {
    watch.stopAlert();
    storeDisableStat();
    const bool yes = dialogs_.confirm(kConfirmExit);
    closePlayer();
    if (yes) {
        // A scan may have raised the alert again while the box was open.
        watch.stopAlert();
        view_.terminate();
    } else if (watch.watching()) {
        view_.setText(Ctl::lblStatus, kStatusActive);
    }
}

}  // namespace vr
