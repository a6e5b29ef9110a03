// Every control, page, menu command and timer of the main window by its identity. The numbers are stable: a
// front end may use them as its controls' own ids, and the end-to-end driver finds controls by them.
#pragma once

namespace vr {

enum class Ctl : int {
    none = 0,
    nteItems = 100,
    // page "Status"
    lblTitle = 1001, lblVersion, lblURL, gpbStatus, lblStatus, ledStatCaps, ledStatNum, ledStatScr,
    lblCaps, lblNum, lblScr, cbxDisableStat, btnExecute, btnDisable, btnReset, cbxStart,
    // page "Timers"
    lblTimers = 1101, gpbDelay, lblInit, spnDelay, lblIniSec, btnInitSet, gpbScan, lblScan, spnScan,
    lblScanSec, btnScanSet, lblScanNote,
    // page "Lighting"
    lblLighting = 1201, gpbFlash, lblFlash, btnFlashSet, spnFlashing, lblFlashing, gpbFlshpat, lblFlshpat,
    cbxFlshpatCaps, cbxFlshpatNum, cbxFlshpatScr, btnFlshpatSet, gpbLamps, cbxLampsOnly, lblLampsNote,
    cbxFlashTrayIcon,
    // page "Actions"
    lblActions = 1301, gpbAction, lblAction, rbnMinimise, rbnClose, rbnNothing, btnAction, gpbExecute,
    lblExecute, cbxEnable, txtFile, btnBrowse, btnClear, gpbSounds, lblAudio, cbxAudEnable, txtAudFile,
    btnAudBrowse, btnAudClear, btnDefault, lblSupport, lblActionLimits,
    // page "Advanced"
    lblAdvanced = 1401, lblWarning, gpbUnsupported, lblUnsupported, lblDetected, lsbHandles, btnScan,
    gpbHandle, lblHandle, btnSet, cbxEnableAdvanced, lblHandlename, lblClassname,
    // page "Match"
    lblMatch = 1501, gpbRule, lblRule, lblRuleClass, lblMatchClass, cbxTitleEnable, txtTitle, lblPatternHelp,
    btnTitleSet, gpbAttention, lblAttentionNote, cbxAttention, lblAttentionState, gpbStartUp, cbxWatchAtStart,
    lblStartUpNote, gpbTest, lblTestNote, btnTest, lblTestResult, gpbDesktop, lblDesktop,
};

// The notebook's pages, in their order.
enum class Page : int { Status, Timers, Lighting, Actions, Advanced, Match };
inline constexpr const char* kPageNames[] = {"Status", "Timers", "Lighting", "Actions", "Advanced", "Match"};

// Menu bar and tray menu commands, named for what they do.
enum class Cmd : int {
    ShowStatusPage = 2001, ShowTimersPage, ShowLightingPage, ShowActionsPage, ShowAdvancedPage, Hide, Exit,
    ShowMatchPage,                                                          // "Vigilamp"
    Execute = 2101, Disable, Reset,                                         // "Status"
    OpenManual = 2201, About,                                               // "Help"
    TrayShow = 2301, TrayExecute, TrayReset, TrayDisable, TrayExit,         // the tray menu
};

// The About window's controls.
enum class AboutCtl : int { lblAbout = 3001, btnClose };

// The main window's timers.
enum class TimerId : int { none = 0, tmrDelay, tmrSearch, tmrFlash, tmrStatus };

// The keyboard's three lock keys, whose lights the alert flashes and the status lights mirror.
enum class LockKey : int { Caps, Num, Scroll };

}  // namespace vr
