// The Win32 adapters of the ports: each a thin translation to the platform calls.
#pragma once
#include <windows.h>

#include "ports.h"
#include "win32/adapters/key_led.h"
#include "win32/adapters/notify_icon.h"
#include "win32/adapters/run_key_autostart.h"

namespace vr::win32 {

// SetTimer / KillTimer on the main window: ticks arrive as WM_TIMER through the message loop.
class WindowTimers final : public TimerHost {
public:
    explicit WindowTimers(HWND window) : window_(window) {}
    bool start(int id, unsigned ms) override { return SetTimer(window_, UINT_PTR(id), ms, nullptr) != 0; }
    void stop(int id) override { KillTimer(window_, UINT_PTR(id)); }

private:
    HWND window_;
};

class SystemKeyboard final : public KeyboardApi {
public:
    SystemKeyboard() = default;
    ~SystemKeyboard() override;
    SystemKeyboard(const SystemKeyboard&) = delete;
    SystemKeyboard& operator=(const SystemKeyboard&) = delete;

    std::uint8_t keyState(std::uint8_t vk) override;
    void state(std::uint8_t keys[256]) override { GetKeyboardState(keys); }
    void setState(const std::uint8_t keys[256]) override { SetKeyboardState(const_cast<BYTE*>(keys)); }
    void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
        keybd_event(vk, scan, flags, 0);
    }
    int platformId() override;

private:
    static DWORD WINAPI readerMain(void* self);
    std::uint8_t read(std::uint8_t vk);  // on the thread that asks, which is the reader unless there is none

    // The reader: a thread with no window, asked for one key at a time.
    HANDLE reader_ = nullptr, asked_ = nullptr, answered_ = nullptr;
    std::uint8_t question_ = 0, answer_ = 0;
    bool stop_ = false;
    bool looked_[256] = {};  // the keys the reading thread has looked at the keyboard for
};

// Other processes' top-level windows: those of the program's own process are never found, listed or fitted.
class TopLevelWindows final : public Windows {
public:
    WindowHandle find(const WindowRule& rule) override;
    void minimise(WindowHandle window) override { sysCommand(window, SC_MINIMIZE); }
    void close(WindowHandle window) override { sysCommand(window, SC_CLOSE); }
    std::vector<TopLevelWindow> topLevelWindows() override;
    std::optional<std::string> classOf(WindowHandle window) override;
    std::optional<WindowOwner> ownerOf(WindowHandle window) override;
    std::optional<std::string> titleOf(WindowHandle window) override;
    bool fits(WindowHandle window, const WindowRule& rule) override;
    std::string reach() override { return "every top-level window of this desktop"; }

private:
    static void sysCommand(WindowHandle window, WPARAM command);
};

// ShellExecuteA; empty parameters and folder are passed as null.
// ShellExecuteW: the program minimised with no owner, the document and the address maximised, owned by the main
// window once it exists.
class ShellLauncher final : public Launcher {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    void program(const std::string& path) override;
    void document(const std::string& path) override;
    void address(const std::string& url) override;

private:
    HWND owner_ = nullptr;
};

// Modal message boxes and open dialogs owned by the main window, the boxes with the program's own button texts.
class MessageDialogs final : public Dialogs {
public:
    explicit MessageDialogs(HWND owner) : owner_(owner) {}
    bool confirm(const std::string& text) override;
    void error(const std::string& text) override;
    void warning(const std::string& text) override;
    void exception(const std::string& text) override;
    void report(const std::string& text) override;  // the debugger's output (OutputDebugString)
    std::optional<std::string> openFile(const OpenFileRequest& request) override;  // in file_dialog.cpp

private:
    HWND owner_;
};

// The executable's full path, as GetModuleFileNameA gives it for the program's own module, however long;
// Error when it cannot be read.
std::string modulePath();

// The settings file beside the executable, through the profile API: each call opens it for that one operation.
// The file keeps the system's code page, as the profile functions write it; the program's UTF-8 goes through
// their Unicode forms, which convert it.
class IniProfile final : public ProfileFile {
public:
    explicit IniProfile(const std::string& executable);
    std::optional<std::string> read(const std::string& section, const std::string& key) override;
    bool write(const std::string& section, const std::string& key, const std::string& value) override;
    std::string path() override { return path_; }
    // A character the system's code page lacks would come back as '?', a wildcard in a pattern.
    std::optional<std::string> cannotHold(const std::string& value) override;
    bool exists() override;

private:
    std::string path_;
};

// Software\Microsoft\Windows\CurrentVersion\Run under HKEY_LOCAL_MACHINE (opened, never created) or under
// HKEY_CURRENT_USER (created when a new profile lacks it), opened with KEY_SET_VALUE for each call.
class RegistryRunKey final : public RunKey {
public:
    Result setValue(Scope scope, const std::string& name, const std::string& data) override;
    Result deleteValue(Scope scope, const std::string& name) override;
};

}  // namespace vr::win32
