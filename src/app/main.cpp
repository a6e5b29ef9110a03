// The program entry: the application set up hidden, the main window created (its FormCreate loads the
// settings), then the message loop until the user exits.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <type_traits>

#include "ui/main_form.h"
#include "ui/win32/about_window.h"
#include "ui/win32/main_window.h"

namespace {

constexpr char kApplicationClass[] = "TApplication";

// Whenever the application is minimised (by any means: the system, another program), its taskbar window is hidden
// again, so no taskbar button is left behind.
LRESULT CALLBACK applicationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED) ShowWindow(window, SW_HIDE);
    return DefWindowProcA(window, message, wParam, lParam);
}
static_assert(std::is_convertible_v<decltype(&applicationProc), WNDPROC>,
              "called the system's way (stdcall on 32-bit x86)");

// The application's taskbar window: a hidden top-level window that owns the program's windows, so that while
// it stays hidden the program has no taskbar button.
HWND createApplicationWindow(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = applicationProc;
    wc.hInstance = instance;
    wc.lpszClassName = kApplicationClass;
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(1));
    RegisterClassExA(&wc);
    return CreateWindowExA(0, kApplicationClass, vr::kTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

// The user-interface thread's COM apartment, for the sound player and the shell's extensions; it outlives the
// windows, whose components release their COM objects as they go.
struct ComApartment {
    ComApartment() : entered(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (entered) CoUninitialize();
    }
    const bool entered;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const ComApartment com;

    const HWND application = createApplicationWindow(instance);  // hidden: the main window is not shown at start
    vr::win32::MainWindow main(instance, application);
    vr::win32::AboutWindow about(instance, application);  // hidden until Help > About
    main.setAbout(&about);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(main.handle(), &msg) && !IsDialogMessageA(about.handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DestroyWindow(application);
    return 0;
}
