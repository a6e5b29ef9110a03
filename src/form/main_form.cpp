#include "form/main_form.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "settings/intervals.h"

namespace vr {

namespace {

using Handler = void (MainForm::*)();

// The menu commands, and the controls whose click does more than store a key.
struct Route {
    int id;
    Handler handler;
};

template <class Id>
constexpr Route route(Id id, Handler handler) {
    return {static_cast<int>(id), handler};
}

constexpr Route kRoutes[] = {
    route(Cmd::Hide, &MainForm::hideAsked),
    route(Cmd::TrayExit, &MainForm::exitAsked),
    route(Cmd::Exit, &MainForm::exitAsked),
    route(Cmd::Execute, &MainForm::btnExecuteClick),
    route(Cmd::TrayExecute, &MainForm::btnExecuteClick),  // the tray menu's "Execute"
    route(Cmd::TrayDisable, &MainForm::btnDisableClick),
    route(Cmd::Disable, &MainForm::btnDisableClick),
    route(Cmd::TrayReset, &MainForm::btnResetClick),
    route(Cmd::Reset, &MainForm::btnResetClick),
    route(Cmd::TrayShow, &MainForm::showAsked),
    route(Cmd::OpenManual, &MainForm::manualAsked),
    route(Cmd::About, &MainForm::aboutAsked),
    route(Ctl::btnExecute, &MainForm::btnExecuteClick),
    route(Ctl::btnDisable, &MainForm::btnDisableClick),
    route(Ctl::btnReset, &MainForm::btnResetClick),
    route(Ctl::cbxDisableStat, &MainForm::cbxDisableStatClick),
    route(Ctl::cbxStart, &MainForm::cbxStartClick),
    route(Ctl::cbxEnable, &MainForm::cbxEnableClick),
    route(Ctl::btnBrowse, &MainForm::btnBrowseClick),
    route(Ctl::btnClear, &MainForm::btnClearClick),
    route(Ctl::cbxAudEnable, &MainForm::cbxAudEnableClick),
    route(Ctl::btnAudBrowse, &MainForm::btnAudBrowseClick),
    route(Ctl::btnAudClear, &MainForm::btnAudClearClick),
    route(Ctl::btnDefault, &MainForm::btnDefaultClick),
    route(Ctl::cbxEnableAdvanced, &MainForm::cbxEnableAdvancedClick),
    route(Ctl::btnScan, &MainForm::btnScanClick),
    route(Ctl::lsbHandles, &MainForm::lsbHandlesClick),
    route(Ctl::lblWarning, &MainForm::lblWarningClick),
    route(Ctl::lblURL, &MainForm::lblURLClick),
    route(Ctl::cbxTitleEnable, &MainForm::cbxTitleEnableClick),
    route(Ctl::cbxAttention, &MainForm::cbxAttentionClick),
    route(Ctl::cbxWatchAtStart, &MainForm::cbxWatchAtStartClick),
    route(Ctl::btnTest, &MainForm::btnTestClick),
};

// The "Vigilamp" menu's page items.
constexpr std::pair<Cmd, Page> kPageCommands[] = {{Cmd::ShowStatusPage, Page::Status},
                                                  {Cmd::ShowTimersPage, Page::Timers},
                                                  {Cmd::ShowLightingPage, Page::Lighting},
                                                  {Cmd::ShowActionsPage, Page::Actions},
                                                  {Cmd::ShowAdvancedPage, Page::Advanced},
                                                  {Cmd::ShowMatchPage, Page::Match}};

bool isSetButton(Ctl control) {
    return std::any_of(std::begin(kSettings), std::end(kSettings),
                       [&](const SettingKey& key) { return key.setButton == control; });
}

}  // namespace

MainForm::MainForm(const FormPorts& ports)
    : model(ports.model),
      watch(ports.timers, ports.model, ports.windows, ports.lights, ports.lamps, *this),
      tmrStatus(ports.timers, static_cast<int>(TimerId::tmrStatus), 500),
      settings(ports.profile),
      view_(ports.view),
      lights_(ports.lights),
      lamps_(ports.lamps),
      windows_(ports.windows),
      events_(ports.events),
      launcher_(ports.launcher),
      player_(ports.player),
      dialogs_(ports.dialogs),
      autostart_(ports.autostart),
      tray_(ports.tray),
      executable_(ports.executable),
      manualName_(ports.manualName) {}

void MainForm::create() {
    // The first start of all (no settings file yet): the icon says where the program went.
    const bool firstStart = !settings.exists();
    dispatch([&] {
        tray_.show(TrayPicture::usual, kTitle);
        if (firstStart) tray_.notify(kFirstRunNote);
    });
    dispatch([&] {
        // The design-time state: lights unlit green, lit lime; the status timer waits for the window to show.
        for (auto [light, key] : kStatusLights) {
            model.led(light).setLow(kLightLow);
            model.led(light).setHigh(kLightHigh);
        }
    });
    dispatch([&] { FormCreate(); });
}

void MainForm::close() { dispatch([&] { FormClose(); }); }

void MainForm::timer(int id) {
    dispatch([&] {
        if (id == tmrStatus.id()) tmrStatusTimer();
        else watch.onTimer(id);
    });
}

void MainForm::endSession() { endFromOutside(); }

void MainForm::endFromOutside() {
    quietly([&] { watch.stopAlert(); });
    quietly([&] { player_.close(); });
    quietly([&] { store(Key::DisableStat); });
    quietly([&] { events_.listen(false, false); });
    listeningForChanges_ = listeningForAttention_ = false;
    terminate();
}

void MainForm::terminate() {
    tray_.remove();
    view_.terminate();
}

void MainForm::updateListening() {
    const bool changes = watch.scanning(), attention = changes && model.checked(Ctl::cbxAttention);
    if (changes == listeningForChanges_ && attention == listeningForAttention_) return;
    listeningForChanges_ = changes;
    listeningForAttention_ = attention;
    events_.listen(changes, attention);
}

void MainForm::command(int id) {
    dispatch([&] {
        for (auto [command, page] : kPageCommands)
            if (id == static_cast<int>(command)) return selectPage(kPageNames[static_cast<int>(page)]);
        click(static_cast<Ctl>(id));
    });
}

void MainForm::click(Ctl control) {
    for (const Route& r : kRoutes)
        if (r.id == static_cast<int>(control)) return (this->*r.handler)();
    if (isSetButton(control)) setButtonClick(control);
}

void MainForm::setChecked(Ctl box, bool on) {
    if (model.checked(box) == on) return;
    model.setChecked(box, on);
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
        return model.setPage(static_cast<Page>(i));
    }
}

void MainForm::tmrStatusTimer() {
    // Setting a light to the state it shows redraws nothing, so a quiet tick costs no painting.
    const LockStates states = lights_.states();
    for (auto [light, key] : kStatusLights) model.led(light).setActive(states.of(key));
}

void MainForm::flashed(bool lit) {
    tray_.show(lit && model.checked(Ctl::cbxFlashTrayIcon) ? TrayPicture::lit : TrayPicture::usual, kTitle);
}

void MainForm::showLampsState() {
    const LampRoute route = lamps_.route();
    model.setEnabled(Ctl::cbxLampsOnly, route != LampRoute::none);
    model.setText(Ctl::lblLampsNote, route == LampRoute::keyboardDriver  ? kLampsByDriver
                                     : route == LampRoute::xkbIndicators ? kLampsByXkb
                                     : route == LampRoute::ledService    ? kLampsByLedService
                                                                         : kLampsUnavailable);
}

void MainForm::updateStatusTimer() { tmrStatus.setEnabled(mainShown_ && !model.checked(Ctl::cbxDisableStat)); }

void MainForm::showAsked() {
    view_.showMain();
    mainShown_ = true;
    // The lights show the keys as they are from the moment the window appears.
    if (!model.checked(Ctl::cbxDisableStat) && !tmrStatus.enabled()) tmrStatusTimer();
    updateStatusTimer();
}

void MainForm::hideAsked() {
    view_.hideMain();
    mainHidden();
}

void MainForm::mainHidden() {
    mainShown_ = false;
    updateStatusTimer();
}

void MainForm::cbxDisableStatClick() {
    const bool disabled = model.checked(Ctl::cbxDisableStat);
    updateStatusTimer();
    for (auto [light, key] : kStatusLights) model.led(light).setActive(!disabled);
    for (auto [light, key] : kStatusLights) model.led(light).setLow(disabled ? kLightOffLow : kLightLow);
}

void MainForm::FormCreate() {
    loadSettings();
    // A registration that cannot be written is shown, and start-up still gives the timers their values.
    dispatch([&] { applyRegistration(false); });
    selectPage("Status");
    watch.tmrDelay.setInterval(delayInterval());
    watch.tmrSearch.setInterval(scanInterval());
    watch.tmrFlash.setInterval(flashInterval());
    showAttentionState();
    showLampsState();
    showDesktopState();
    // Start-up ends with the Execute command when the user asked to watch from the start.
    if (model.checked(Ctl::cbxWatchAtStart)) btnExecuteClick();
}

unsigned MainForm::intervalOf(const SettingKey& key) const {
    return timerInterval(spinValue(model.text(key.control), key.range.minimum));
}

void MainForm::FormClose() {
    watch.stopAlert();
    closePlayer();
    storeDisableStat();
    terminate();
}

void MainForm::exitAsked() {
    watch.stopAlert();
    storeDisableStat();
    const bool yes = dialogs_.confirm(kConfirmExit);
    closePlayer();
    if (yes) {
        // A scan may have raised the alert again while the box was open.
        watch.stopAlert();
        terminate();
    } else if (watch.watching()) {
        model.setText(Ctl::lblStatus, kStatusActive);
    }
}

}  // namespace vr
