#include "win32/app/application.h"

#include "win32/windows/win32_util.h"
#include "win32/windows/window_object.h"

namespace vr::win32 {

namespace {

constexpr char kApplicationClass[] = "TApplication";
constexpr int kIconResource = 1, kLitIconResource = 2;

}  // namespace

Application::Application(HINSTANCE instance, std::string executable) : executable_(std::move(executable)) {
    registerWindowClass(instance, kApplicationClass, objectWindowProc<Application>, kIconResource);
    CreateWindowExA(0, kApplicationClass, kTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                    nullptr, nullptr, instance, this);

    // The main window and its components, the tray icon among them, before the settings are loaded.
    main_.emplace(instance, window_, model_);
    model_.attach(*main_);
    timers_.emplace(main_->handle());
    dialogs_.emplace(main_->handle());
    launcher_.setOwner(main_->handle());
    trayMenu_ = createTrayMenu();
    tray_.emplace(instance, window_, main_->handle(), kIconResource, kLitIconResource);
    tray_->icon().popupMenu = reinterpret_cast<MenuHandle>(trayMenu_);
    tray_->icon().onDoubleClick = [this] { form_->command(static_cast<int>(Cmd::TrayShow)); };
    events_.emplace(instance);
    form_.emplace(FormPorts{*timers_, model_, *main_, windows_, *events_, lights_, lamps_, *dialogs_, profile_,
                            autostart_, launcher_, player_, tray_->icon(), executable_});
    tray_->onClose = [this] { form_->ownWindowClosing(); };
    events_->onChange = [this](WindowHandle window) { form_->windowChanged(window); };
    events_->onAttention = [this](WindowHandle window) { form_->windowAsksForAttention(window); };
    events_->onClose = [this] { form_->ownWindowClosing(); };
    main_->setForm(&*form_);
    lights_.loaded();
    form_->create();

    about_.emplace(instance, window_);  // hidden until Help > About
    main_->setAbout(&*about_);
}

Application::~Application() {
    main_->setAbout(nullptr);
    about_.reset();
    main_->setForm(nullptr);
    form_.reset();  // its timers stop on the main window, which is still there
    events_.reset();
    tray_.reset();
    DestroyMenu(trayMenu_);
    main_.reset();
    DestroyWindow(window_);
}

int Application::run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(main_->handle(), &msg) && !IsDialogMessageA(about_->handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}

LRESULT Application::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        // Whenever the application is minimised (by any means: the system, another program), its taskbar window
        // is hidden again, so no taskbar button is left behind.
        if (wParam == SIZE_MINIMIZED) ShowWindow(window_, SW_HIDE);
        break;
    case WM_CLOSE:
        // Closing the window that owns all the others would leave the program running without them: the
        // program ends the ordinary way instead.
        if (form_) form_->ownWindowClosing();
        return 0;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vr::win32
