// The program entry: the common controls, then the application until the user exits; the COM apartment, if
// anything entered it, is left last.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

#include "model/texts.h"
#include "win32/adapters/ports_win32.h"
#include "win32/app/application.h"
#include "win32/windows/win32_util.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    std::string executable;
    try {
        executable = vr::win32::modulePath();
    } catch (const vr::Error& e) {  // the program's own path is unknown: nothing could work, so say so and end
        MessageBoxA(nullptr, vr::exceptionText(e.what()).c_str(), vr::kTitle, MB_OK | MB_ICONSTOP);
        return 1;
    }
    int status;
    {
        vr::win32::Application application(instance, std::move(executable));
        status = application.run();
    }
    // After the windows, whose components release their COM objects as they go.
    vr::win32::leaveComApartment();
    return status;
}
