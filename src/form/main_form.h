// TfrmMain's behaviour: one method per handler, named after its control and event, over the model. A front end
// only translates platform events into these calls; every entry goes through dispatch, which shows an error in
// the exception box and lets the program go on.
#pragma once
#include <string>
#include <string_view>
#include <utility>

#include "model/model.h"
#include "model/texts.h"
#include "model/settings.h"
#include "ports.h"
#include "settings/settings_file.h"
#include "watch/watch_cycle.h"

namespace vr {

inline constexpr std::pair<Ctl, LockKey> kStatusLights[] = {
    {Ctl::ledStatCaps, LockKey::Caps}, {Ctl::ledStatNum, LockKey::Num}, {Ctl::ledStatScr, LockKey::Scroll}};

struct FormPorts {
    TimerHost& timers;
    Model& model;
    View& view;
    Windows& windows;
    WindowEvents& events;
    LockLights& lights;
    Lamps& lamps;
    Dialogs& dialogs;
    ProfileFile& profile;
    Autostart& autostart;
    Launcher& launcher;
    MediaPlayer& player;
    TrayIcon& tray;
    std::string executable;  // the program's own full path, as the platform gives it
    std::string manualName = "manual.mht";  // the user manual's file name, beside the executable
};

class MainForm : private AlertActions {
public:
    explicit MainForm(const FormPorts& ports);

    // Entries from the platform, each guarded by dispatch.
    void create();              // the model holds the design-time state; loads the settings into it
    void close();               // the close box or the system menu
    void command(int id);       // a control's click or a menu command (Ctl or Cmd ids)
    void timer(int id);         // a tick of one of the form's timers
    void endSession();          // the user logs off or shuts down
    // Another program asked one of the program's own windows (not the main one) to close: the program ends
    // the way closing the main window ends it, rather than lose a window it cannot do without.
    void ownWindowClosing() { close(); }
    // The session ends, or the program is told to end from outside (a signal): nobody may be there to answer a
    // box, so a failure goes to the dialogs' report, and the program ends whatever fails, the lights off.
    void endFromOutside();
    // A window asked for the user's attention (its taskbar button flashes).
    void windowAsksForAttention(WindowHandle window);
    // A window appeared, or changed its title or class.
    void windowChanged(WindowHandle window) {
        dispatch([&] { watch.windowChanged(window); });
    }
    // What this desktop lets the program see and do, on the Match page, and what the window actions cannot do, on
    // the Actions page: at start-up and after each alert (a desktop may tell only once it was asked).
    void showDesktopState();
    // The player failed on a thread of its own, after its call had returned: shown as the call's error would be.
    void playerFailed(const std::string& message) {
        dispatch([&] { throw Error(message); });
    }

    // Runs f; an error it raises is shown in the exception box and the program goes on. Afterwards the window
    // events are listened for as the watch now needs them.
    template <class F>
    void dispatch(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            dialogs_.exception(exceptionText(e.what()));
        }
        updateListening();
    }

    // Setting a check box from code runs the same click handling as a user's click, when the state changes.
    void setChecked(Ctl box, bool on);

    // Shows the page of that name (any letter case, first match); an unknown name changes nothing.
    void selectPage(std::string_view name);

    // The handlers.
    void FormCreate();
    void FormClose();
    void btnExecuteClick() { watch.execute(); }
    void btnDisableClick() { watch.disable(); }
    void btnResetClick() { watch.reset(); }
    void exitAsked();
    void hideAsked();
    void tmrStatusTimer();
    void cbxDisableStatClick();
    void showAsked();
    // The main window hid itself (minimised into the tray).
    void mainHidden();
    void aboutAsked() { view_.showAbout(); }

    // Settings (main_form_settings.cpp). A Set button stores the keys it is the button of in the settings
    // table, as the page shows them; an interval's is checked against its range first and applied to its timer.
    void setButtonClick(Ctl button);
    void cbxStartClick();
    void loadSettings();
    // Registers or unregisters from the "Start with Windows" box. A registration this user may not change is
    // an error only when the user asked for the change; at start-up it stays silent.
    void applyRegistration(bool userAsked);

    // The Actions page (main_form_actions.cpp).
    void cbxEnableClick();
    void btnBrowseClick();
    void btnClearClick();
    void cbxAudEnableClick();
    void btnAudBrowseClick();
    void btnAudClearClick();
    void btnDefaultClick();

    // The window survey of the Advanced page (main_form_survey.cpp).
    void cbxEnableAdvancedClick();
    void btnScanClick();
    void lsbHandlesClick();
    void lblWarningClick();

    // The Match page (main_form_match.cpp).
    void cbxTitleEnableClick();
    void cbxAttentionClick();
    void cbxWatchAtStartClick();
    void btnTestClick();

    // The help links (main_form_help.cpp).
    void manualAsked();
    void lblURLClick();

    // The three intervals as their spin edits hold them now, as the timers take them (milliseconds).
    unsigned delayInterval() const { return intervalOf(setting(Key::DelayValue)); }
    unsigned scanInterval() const { return intervalOf(setting(Key::ScanInterval)); }
    unsigned flashInterval() const { return intervalOf(setting(Key::LightingInterval)); }

    Model& model;
    WatchCycle watch;
    Timer tmrStatus;  // mirrors the lock states on the status lights, while the window shows them
    SettingsFile settings;

private:
    void click(Ctl control);
    // Releases the player at shutdown; a failure is shown and the caller goes on, so the program can always end.
    void closePlayer();
    // Browse and Clear of the program and the sound groups: the path box, its Enable box and their two keys.
    void browseInto(const OpenFileRequest& request, Ctl path, Key enable, Key file);
    void clearGroup(Ctl path, Ctl box, Key enable, Key file);
    unsigned intervalOf(const SettingKey& key) const;
    void checkAndApply(const SettingKey& key);
    void loadKey(const SettingKey& key);
    void store(Key key) { settings.store(setting(key), model); }
    // The class the scan looks for, shown on the Advanced page and on the Match page alike (there an empty one
    // reads as what it means to a title rule: any class).
    void setTargetClass(const std::string& className);
    // Whether the attention option can work here: shown on the Match page at start-up.
    void showAttentionState();
    void storeDisableStat();
    // The end of the program: the icon leaves the tray at once, and the message loop ends.
    void terminate();
    // Window events are listened for only while they can raise the alert: new and renamed windows while the watch
    // scans, attention while it scans with its box ticked.
    void updateListening();
    // Runs f; an error it raises goes to the dialogs' report, for the ways out where no box may wait.
    template <class F>
    void quietly(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            dialogs_.report(exceptionText(e.what()));
        }
    }
    // The status timer runs while the lights can be seen: the window shown and the lights not disabled. A
    // program hidden in the tray then wakes for nothing but its watch.
    void updateStatusTimer();
    Timer& timerOf(TimerId id);

    // AlertActions: the program, the sound and the window action come here, and the flash shows on the icon.
    void run(WindowHandle window) override;
    void stopSound() override;
    void flashed(bool lit) override;
    // How the lamps are reached here, or that they are not: shown on the Lighting page at start-up.
    void showLampsState();

    View& view_;
    LockLights& lights_;
    Lamps& lamps_;
    Windows& windows_;
    WindowEvents& events_;
    Launcher& launcher_;
    MediaPlayer& player_;
    Dialogs& dialogs_;
    Autostart& autostart_;
    TrayIcon& tray_;
    std::string executable_;
    std::string manualName_;
    bool loading_ = false;  // the settings load is setting the controls, not the user
    bool mainShown_ = false;
    bool listeningForChanges_ = false, listeningForAttention_ = false;
};

}  // namespace vr
