// The ports: what the portable core needs from the platform, in the core's own words. Each front end has its
// adapters (src/win32/adapters for Windows), and tests/fakes has one fake of each.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "match/match_rule.h"
#include "model/ids.h"
#include "model/led.h"
#include "model/view.h"

namespace vr {

// The program's one error type. Handlers throw it; the form's dispatch shows it in the exception box.
struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A top-level window as an enumeration finds it.
struct TopLevelWindow {
    WindowHandle handle;
    std::string title;  // "" when the window has none or does not answer
};

// The thread that created a window, and its process.
struct WindowOwner {
    std::uint32_t process, thread;
};

// What the platform calls a window's handle and the owner's second number, for the survey's information: a
// platform without a thread per window names what it offers in its place.
struct OwnerTerms {
    const char* handle = "HWND";
    const char* thread = "Thread ID";
};

// Timers that tick on the user-interface thread. Starting an id that runs restarts its countdown.
class TimerHost {
public:
    virtual ~TimerHost() = default;
    virtual bool start(int id, unsigned ms) = 0;  // false when the platform has no timer to give
    virtual void stop(int id) = 0;                // stopping a stopped timer does nothing
};

// The three lock states at one moment.
struct LockStates {
    bool caps = false, num = false, scroll = false;
    bool of(LockKey key) const { return key == LockKey::Caps ? caps : key == LockKey::Num ? num : scroll; }
};

// The keyboard's lock keys, whose lights are what the alert flashes. The state is the system's, shared with
// every program and the user's own presses: a read tells the state as it is now, and a set acts at once, so a
// sequence of sets always ends in the last state asked for.
class LockLights {
public:
    virtual ~LockLights() = default;
    virtual LockStates states() = 0;  // one look at the keyboard for all three
    virtual void set(LockKey key, bool on) = 0;  // does nothing when the key already is so
    bool on(LockKey key) { return states().of(key); }
};

// The keyboard's lamps apart from the lock state: a lamp lit or put out this way changes nothing the keys do,
// so whatever the user types during an alert comes out as meant. The front end picks the first route that
// works here at start-up.
enum class LampRoute { none, keyboardDriver, xkbIndicators, ledService };

class Lamps {
public:
    virtual ~Lamps() = default;
    virtual LampRoute route() = 0;  // the route in use; none: no route works here, the locks are switched instead
    // Every lamp of every keyboard as given, the lock state untouched. Sent at every flash tick, since some
    // systems repaint the lamps from the locks on their own; never waits on a device.
    virtual void show(LockStates lamps) = 0;
    // Every lamp back to the lock state as it is now, and following it again.
    virtual void release() = 0;
};

// Other programs' top-level windows; never the program's own, which no rule may find and no pick may offer.
class Windows {
public:
    virtual ~Windows() = default;
    // The first top-level window in the platform's order that fits the rule; 0 when none does, and always 0
    // for an empty rule. Titles are read as the system holds them, without asking the windows, so a hung
    // window never delays it.
    virtual WindowHandle find(const WindowRule& rule) = 0;
    // Ask the window to minimise or to close, as its own system menu would; never blocks on a hung window.
    virtual void minimise(WindowHandle window) = 0;
    virtual void close(WindowHandle window) = 0;
    // Every top-level window, hidden ones included, in the platform's order, each with at most kTitleChars
    // characters of the title the system holds for it: no window is asked, so a hung one costs nothing.
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
    // The window's class name, at most kClassChars characters; nothing once the window is gone.
    virtual std::optional<std::string> classOf(WindowHandle window) = 0;
    // Nothing once the window is gone.
    virtual std::optional<WindowOwner> ownerOf(WindowHandle window) = 0;
    // The title as the system holds it, at most kRuleTitleChars characters, without asking the window;
    // nothing once the window is gone.
    virtual std::optional<std::string> titleOf(WindowHandle window) = 0;
    // Whether the window, as it is now, fits the rule (an empty rule fits any window); false once it is gone.
    // A platform whose windows carry more than one name for their class answers to each.
    virtual bool fits(WindowHandle window, const WindowRule& rule) = 0;
    virtual OwnerTerms terms() { return {}; }
    // Which windows the program sees here, in the user's words ("every top-level window"), and what the desktop
    // will not let it do to them ("" when nothing: the window actions all work).
    virtual std::string reach() = 0;
    virtual std::string limits() { return {}; }

    // Characters, not counting the NUL: what the survey's list keeps, and the longest title a rule reads.
    static constexpr std::size_t kTitleChars = 128, kClassChars = 128, kRuleTitleChars = 2048;
};

// What the desktop tells of its windows as it happens. While it listens, the front end hands the form each
// top-level window that appeared or changed its title or class, and each that asks for the user's attention.
// The scan stays the safety net: a listener that cannot start loses nothing but time.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // Why the platform cannot report windows that ask for attention; nothing if it can.
    virtual std::optional<std::string> attentionUnavailable() = 0;
    // What to report from now on; off costs nothing.
    virtual void listen(bool changes, bool attention) = 0;
};

// Opening what the user chose the way the desktop does: its programs, its file associations, its browser. Fire
// and forget: nothing is reported.
class Launcher {
public:
    virtual ~Launcher() = default;
    // The alert's program as the user gave it: a program starts (minimised where the system can), anything else
    // opens with the program the desktop associates with it.
    virtual void program(const std::string& path) = 0;
    // A document, maximised, with its own folder as the working folder.
    virtual void document(const std::string& path) = 0;
    // A web address, maximised.
    virtual void address(const std::string& url) = 0;
};

// The sound player: it plays on threads of its own and reports nothing back. Each failure the platform
// returns is thrown as Error with a message that names the operation.
class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;
    virtual void setUrl(const std::string& url) = 0;  // opens the file and starts playing it at once
    virtual void stop() = 0;   // ends a sound that plays; nothing otherwise
    virtual void close() = 0;  // releases the current media; a later setUrl plays again
};

// What an open-file dialog asks of the user. The dialog is the platform's explorer-style one, resizable.
struct OpenFileRequest {
    std::string filter;            // description|pattern pairs separated by '|'; the first pair shows first
    std::string defaultExtension;  // appended to a typed name without one; empty for none
    std::string initialFolder;     // passed unchanged, relative names included; empty for the platform's choice
    bool mustExist = false;        // the folder and the file must exist
    bool networkButton = true;     // the "Network..." button shows
    bool readOnlyBox = false;      // the "Open as read-only" box shows
};

// Modal boxes. Each returns after the user has answered; timers keep ticking meanwhile.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual bool confirm(const std::string& text) = 0;  // "Confirm", Yes and No; true for Yes
    virtual void error(const std::string& text) = 0;    // "Error", error icon, OK
    virtual void warning(const std::string& text) = 0;  // "Warning", warning icon, OK
    virtual void exception(const std::string& text) = 0;  // the title caption, stop icon, OK
    // An error met where no box may wait for an answer (the session ends, a signal ends the program): written
    // where a person can find it afterwards, at once.
    virtual void report(const std::string& text) = 0;
    // The chosen file's full path, or nothing when the user cancels; a dialog that fails throws Error.
    virtual std::optional<std::string> openFile(const OpenFileRequest& request) = 0;
};

// The settings file: a profile (INI) file at one path. Each call opens the file for that one operation, and
// nothing is created until the first write.
class ProfileFile {
public:
    virtual ~ProfileFile() = default;
    // The key's value, or nothing when the file, the section or the key does not exist. A key that is present
    // but empty reads as "".
    virtual std::optional<std::string> read(const std::string& section, const std::string& key) = 0;
    // False when the platform refuses the write (a read-only file or folder), or when the value holds a line
    // break or a NUL, which would end the value early and let the rest pass as lines of the file.
    virtual bool write(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual std::string path() = 0;  // for the message of a refused write
    // Why the file cannot hold every character of the value, as the rest of a sentence ("holds 日, which the
    // system's code page lacks"); nothing when it can.
    virtual std::optional<std::string> cannotHold(const std::string& /*value*/) { return std::nullopt; }
    // While on, reads come from one reading of the file (the settings load reads every key in a row).
    virtual void keepRead(bool /*on*/) {}
    // Whether the file exists: it does not until the first write.
    virtual bool exists() = 0;
};

// Starting with the user's session: this copy of the program registered, or not, the way the platform keeps
// such a list (a Run key, an autostart entry).
class Autostart {
public:
    virtual ~Autostart() = default;
    // Registers this copy, or removes it. Returns why nothing could be changed (this user may not change it
    // here), or nothing when it is done; a write that is refused after all throws Error.
    virtual std::optional<std::string> set(bool on) = 0;
};

// The program's icon in the notification area. The front end gives it the tray menu and shows the main window
// on a double click; the core says what it shows. A tray that does not take the icon yet (the desktop still
// starting) is tried again by the front end until it does.
enum class TrayPicture { usual, lit };

class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void show(TrayPicture picture, const std::string& tip) = 0;  // adds the icon, or changes it
    virtual void remove() = 0;
    // A message from the icon that goes away by itself (a balloon, a desktop notification).
    virtual void notify(const std::string& text) = 0;
};

}  // namespace vr
