// The Windows program's one composition root: it owns the application's hidden taskbar window, the model,
// every adapter, the main window, the tray icon, the form and the About window, wires them, and runs the
// message loop.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "form/main_form.h"
#include "model/model.h"
#include "win32/adapters/driver_lamps.h"
#include "win32/adapters/key_led.h"
#include "win32/adapters/keyboard_devices.h"
#include "win32/adapters/worker_thread.h"
#include "win32/adapters/media_player.h"
#include "win32/adapters/ports_win32.h"
#include "win32/adapters/window_events.h"
#include "win32/windows/about_window.h"
#include "win32/windows/main_window.h"
#include "win32/windows/tray_window.h"

namespace vr::win32 {

class Application {
public:
    // Starts the program hidden: the windows, the tray icon, then the settings loaded into the model.
    Application(HINSTANCE instance, std::string executable);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    int run();  // the message loop, until the program ends

private:
    template <class T>
    friend LRESULT CALLBACK objectWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);  // the application's taskbar window

    HWND window_ = nullptr;  // the application's taskbar window: hidden, it owns the program's windows
    std::string executable_;
    Model model_;
    SystemKeyboard keyboard_;
    TKeyLed lights_{keyboard_};
    // The lamps through the keyboard class driver, on a thread of their own, before the windows exist.
    KeyboardDeviceCalls keyboardDevices_;
    ThreadWorker lampsThread_;
    DriverLamps lamps_{keyboardDevices_, lampsThread_, lights_};
    TopLevelWindows windows_;
    IniProfile profile_{executable_};
    RegistryRunKey runKey_;
    RunKeyAutostart autostart_{runKey_, executable_};
    ShellLauncher launcher_;
    SoundPlayer player_;
    std::optional<MainWindow> main_;
    std::optional<WindowTimers> timers_;
    std::optional<MessageDialogs> dialogs_;
    HMENU trayMenu_ = nullptr;
    std::optional<TrayIconWindow> tray_;
    std::optional<WindowEvents> events_;
    std::optional<MainForm> form_;
    std::optional<AboutWindow> about_;
};

}  // namespace vr::win32
