// The ports: what the portable core needs from the platform, named after the need rather than the API.
// Each has one Win32 adapter in platform/win32 and one fake in tests/fakes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/widgets/led.h"

namespace vr {

// The program's one error type. Handlers throw it; the form's dispatch shows it in the exception box.
struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using WindowHandle = std::uintptr_t;  // an opaque top-level window handle; 0 is "none"
using IconHandle = std::uintptr_t;    // an opaque icon picture; 0 is "no picture"
using MenuHandle = std::uintptr_t;    // an opaque pop-up menu; 0 is "no menu"

// A top-level window as an enumeration finds it.
struct TopLevelWindow {
    WindowHandle handle;
    std::string title;  // "" when the window has none or does not answer
};

// The thread that created a window, and its process.
struct WindowOwner {
    std::uint32_t process, thread;
};

// Timers that tick on the user-interface thread. Starting an id that runs restarts its countdown.
class TimerHost {
public:
    virtual ~TimerHost() = default;
    virtual bool start(int id, unsigned ms) = 0;  // false when the platform has no timer to give
    virtual void stop(int id) = 0;                // stopping a stopped timer does nothing
};

// The calling thread's keyboard state and synthesised key strokes.
class Keyboard {
public:
    virtual ~Keyboard() = default;
    virtual void state(std::uint8_t keys[256]) = 0;           // GetKeyboardState
    virtual void setState(const std::uint8_t keys[256]) = 0;  // SetKeyboardState
    virtual void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) = 0;  // keybd_event
    virtual int platformId() = 0;  // 1: the Windows 95 family, 2: the NT family, anything else: neither
};

// Other programs' top-level windows.
class Windows {
public:
    virtual ~Windows() = default;
    virtual WindowHandle findByClass(const std::string& className) = 0;  // 0 when none exists
    virtual void sysCommand(WindowHandle window, unsigned command) = 0;   // never blocks on a hung window
    // Every top-level window, hidden ones included, in the platform's order. A title is read into a buffer of
    // kTitleChars characters; a window that does not answer within about a second counts as untitled.
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
    // The window's class name, read into a buffer of kClassChars characters; nothing once the window is gone.
    virtual std::optional<std::string> classOf(WindowHandle window) = 0;
    // Nothing once the window is gone.
    virtual std::optional<WindowOwner> ownerOf(WindowHandle window) = 0;

    static constexpr std::size_t kTitleChars = 128, kClassChars = 128;  // not counting the NUL
};

// Opening a document or starting a program the way the shell does (its verb, its file associations).
class Shell {
public:
    enum class Show { minimized, maximized };
    virtual ~Shell() = default;
    // Fire and forget: the result is not reported. owner 0 opens with no owner window.
    virtual void open(WindowHandle owner, const std::string& verb, const std::string& file,
                      const std::string& parameters, const std::string& folder, Show show) = 0;
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
    // The chosen file's full path, or nothing when the user cancels; a dialog that fails throws Error.
    virtual std::optional<std::string> openFile(const OpenFileRequest& request) = 0;
};

// The settings file: a profile (INI) file at one path. Each call opens the file for that one operation; nothing
// is cached, and nothing is created until the first write.
class ProfileFile {
public:
    virtual ~ProfileFile() = default;
    // The key's value, or nothing when the file, the section or the key does not exist. A key that is present
    // but empty reads as "".
    virtual std::optional<std::string> read(const std::string& section, const std::string& key) = 0;
    // False when the platform refuses the write (a read-only file or folder).
    virtual bool write(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual std::string path() = 0;  // for the message of a refused write
};

// The start-up registration: a named value in a Run key, the per-machine one or the user's own. The key is
// opened for writing by every call and closed again.
class RunKey {
public:
    enum class Scope { machine, user };
    enum class Result { done, notOpened, failed };
    virtual ~RunKey() = default;
    // Writes the value as a string: notOpened when the key cannot be opened, failed when the write is refused.
    virtual Result setValue(Scope scope, const std::string& name, const std::string& data) = 0;
    // Deletes the value: notOpened when the key cannot be opened, otherwise done, whether or not it existed.
    virtual Result deleteValue(Scope scope, const std::string& name) = 0;
};

// The main window's controls. The controls are the settings: the core asks the view at the moment of use and
// keeps no copy. Setting a state here changes the control only; the form runs any click handling itself.
class View {
public:
    virtual ~View() = default;
    virtual bool checked(Ctl control) = 0;
    virtual void setChecked(Ctl control, bool on) = 0;
    virtual std::string text(Ctl control) = 0;  // an edit's text, a label's or button's caption
    virtual void setText(Ctl control, const std::string& text) = 0;
    virtual bool enabled(Ctl control) = 0;
    virtual void setEnabled(Ctl control, bool on) = 0;
    virtual TVrLed& led(Ctl control) = 0;  // a status light
    virtual Page page() = 0;
    virtual void showPage(Page page) = 0;  // focus follows into the page when it was in the notebook
    virtual void showMain() = 0;           // hide, show and bring to the front
    virtual void hideMain() = 0;
    virtual void showAbout() = 0;          // the one About window, shown where it was left and brought to the front
    virtual void terminate() = 0;          // ends the message loop after the current message
    virtual WindowHandle window() = 0;     // the main window itself, as owner of what the program opens

    // A list box's items, each a text with a window handle attached; appended in order, never sorted.
    virtual void clearItems(Ctl list) = 0;
    virtual void addItem(Ctl list, const std::string& text, WindowHandle data) = 0;
    virtual int selectedItem(Ctl list) = 0;  // -1 when no item is selected
    virtual WindowHandle itemData(Ctl list, int index) = 0;
};

// What the shell keeps of a notification-area icon. The shell's tip field holds 64 characters with the terminator.
struct TrayRecord {
    WindowHandle window = 0;  // receives the callback message
    unsigned id = 0;
    unsigned flags = 0;       // which of the message, the icon and the tip are valid
    IconHandle icon = 0;
    std::string tip;
    unsigned callbackMessage = 0;
    bool operator==(const TrayRecord&) const = default;
};

// The notification area. Each call returns whether the shell took it; an icon is known by its window and id.
class TrayShell {
public:
    virtual ~TrayShell() = default;
    virtual bool add(const TrayRecord& record) = 0;     // fails when the icon already exists or no shell runs
    virtual bool modify(const TrayRecord& record) = 0;  // fails when the icon does not exist
    virtual bool remove(const TrayRecord& record) = 0;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The tray icon's own hidden window, which hears the icon's messages, and the platform around it.
class TrayWindow {
public:
    virtual ~TrayWindow() = default;
    virtual WindowHandle handle() = 0;
    virtual void postTipMessage() = 0;            // comes back as the icon's tip message once the loop runs
    virtual void retryTimer(bool on) = 0;         // while on, ticks come back to the icon now and then
    virtual void showApplication(bool show) = 0;  // the application's taskbar window, and so its taskbar button
    virtual ScreenPoint cursor() = 0;
    // Pops the menu up with its top-left corner at the point, and runs the command chosen from it.
    virtual void popUp(MenuHandle menu, ScreenPoint at) = 0;
};

}  // namespace vr
