// A small library for driving vigilamp.exe from outside, as a user would, through window messages.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "model/ids.h"

namespace e2e {

// Records a check; prints "ok" or "FAIL" with the detail.
void check(bool ok, const std::string& what, const std::string& detail = "");

// Polls pred every 20 ms until it holds or the deadline passes; pumps the driver's own messages meanwhile.
bool waitFor(const std::function<bool()>& pred, DWORD ms = 5000);

std::string text(HWND window);
std::string unicodeText(HWND window);  // the text as UTF-8, whatever its characters
std::string className(HWND window);

// The lock key's toggle state as this process sees it, after pumping.
bool lockOn(int vk);
// Sets a lock key to a state from here, as a user's press would.
void setLock(int vk, bool on);

// A running copy of the program in a fresh folder of its own.
class App {
public:
    // Copies the executable into a new temporary folder, writes the INI when given, and starts it. The folder's
    // name ends in folderTail: " Rizu" gives it a space.
    explicit App(const std::string& ini = "", const std::string& folderTail = "");
    ~App();  // ends the program if it still runs and removes the folder

    HWND main() const { return main_; }
    HWND control(vr::Ctl id) const;
    DWORD pid() const { return process_.dwProcessId; }
    const std::string& folder() const { return folder_; }
    std::string iniPath() const { return folder_ + "\\vigilamp.ini"; }

    std::vector<HWND> topLevelWindows() const;
    HWND findOwn(const char* cls, const char* title = nullptr) const;

    void click(vr::Ctl id) const;           // BM_CLICK on a control: returns when the handler has
    void postClick(vr::Ctl id) const;       // BM_CLICK posted: for a click whose handler opens a modal box
    bool checked(vr::Ctl id) const { return SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void setText(vr::Ctl id, const char* text) const {
        SendMessageA(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // A user's typing: the text (UTF-8, any characters) and the change the box tells its parent of.
    void type(vr::Ctl id, const std::string& text) const;
    std::string exePath() const { return folder_ + "\\vigilamp.exe"; }
    void post(vr::Cmd command) const;       // a menu command, posted (it may open a modal box)
    void send(vr::Cmd command) const;
    std::string status() const { return text(control(vr::Ctl::lblStatus)); }

    // Waits for a message box of the program with that caption; empty when none came.
    HWND waitBox(const char* caption, DWORD ms = 5000) const;
    static std::string boxText(HWND box) { return text(GetDlgItem(box, 0xFFFF)); }
    static void answer(HWND box, int button);  // IDYES, IDNO, IDOK

    bool waitExit(DWORD ms = 5000) const;
    bool running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

private:
    std::string folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
    bool registeredBefore_;  // the start-up registration existed before this copy started
};

// A window of a chosen class, in a helper process, for the program to find. Class and title are UTF-8, with "\r"
// and "\n" standing for line breaks.
class Target {
public:
    // hang: it stops answering a second after it starts. Ways for the window events (target.cpp): "spin", it
    // renames itself as fast as it can for five seconds, then takes the title given; "announce", it raises the
    // win event of a renamed window itself, as Windows does and Wine does not.
    explicit Target(const std::string& cls = "IMWindowClass", const std::string& title = "Conversation",
                    bool hang = false, const std::string& ways = "");
    ~Target();
    HWND window() const { return window_; }

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// The tray icon, driven the way the shell would: its hidden window hears the mouse on the icon, and its pop-up
// menu (#32768) is worked with the arrow keys.
HWND trayWindow(const App& app);
void mouse(HWND tray, UINT message);  // the icon's callback message with that mouse message, posted
HWND waitMenu(const App& app, DWORD ms = 3000);
bool menuClosed(const App& app);
void key(HWND window, UINT vk);  // a key pressed and released, posted
enum TrayItem { Show = 1, Execute, Reset, Disable, Exit };  // steps down the tray menu, separators skipped
// Right-clicks the icon and picks the item that many steps down the menu.
bool choose(const App& app, HWND tray, int steps);

// Saves what the screen shows of a window as a BMP under build/<target>/screens; the test script turns them
// into PNGs for a person to look at.
void screenshot(HWND window, const std::string& name);
// The colour the screen shows at a point of a window's client area.
COLORREF pixel(HWND window, int x, int y);
// A file's whole contents, read while others may hold it open; "<missing>" when it is not there.
std::string fileText(const std::string& path);
// A control of a window by its id, at any depth (group boxes and the explorer-style dialog nest them); with
// visibleOnly, the first visible one of that id.
HWND childById(HWND parent, int id, bool visibleOnly = false);
// A key of a profile file as GetPrivateProfileStringA reads it; "<missing>" when it is not there.
std::string iniValue(const std::string& path, const char* section, const char* key);

// The data of a string value under HKEY_LOCAL_MACHINE in the 64-bit view; "<missing>" when it is not there.
std::string machineValue(const char* key, const char* name);

// Asks e2e_menu_probe.dll, hooked into the thread of window, for a report (menu_probe.h: which); returns it,
// or why there is none.
std::string probe(const App& app, HWND window, WPARAM which);

// The folder of the driver, where vigilamp.exe and the helpers lie.
std::string here();

// Cases register themselves at start-up.
struct Case {
    const char* name;
    void (*run)();
};
std::vector<Case>& cases();
struct Register {
    Register(const char* name, void (*run)()) { cases().push_back({name, run}); }
};
#define E2E_CASE(name)                                   \
    static void name();                                  \
    static const e2e::Register register_##name{#name, name}; \
    static void name()

}  // namespace e2e
