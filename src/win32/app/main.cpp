// The program entry: the common controls and the COM apartment, then the application until the user exits.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <utility>

#include "form/main_form.h"
#include "win32/adapters/ports_win32.h"
#include "win32/app/application.h"

namespace {

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
    std::string executable;
    try {
        executable = vr::win32::modulePath();
    } catch (const vr::Error& e) {  // the program's own path is unknown: nothing could work, so say so and end
        MessageBoxA(nullptr, vr::exceptionText(e.what()).c_str(), vr::kTitle, MB_OK | MB_ICONSTOP);
        return 1;
    }
    vr::win32::Application application(instance, std::move(executable));
    return application.run();
}
