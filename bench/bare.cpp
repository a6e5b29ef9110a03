// The least a tray utility can be: a hidden window with one 500 ms timer, and with "scan" a second timer that
// looks for a window class every second. The benchmark's baseline for idle cost, start-up and memory.
#include <windows.h>

#include <cstring>

namespace {

LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == 2) FindWindowA("IMWindowClass", nullptr);
    if (message == WM_CLOSE) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = "BareTrayProgram";
    RegisterClassA(&wc);
    HWND window = CreateWindowA(wc.lpszClassName, "bare", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                instance, nullptr);
    SetTimer(window, 1, 500, nullptr);
    if (std::strstr(command, "scan")) SetTimer(window, 2, 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
