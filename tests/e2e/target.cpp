// A stand-in for a watched program: a visible top-level window of the class and title on its command line.
// With "hang" as a third argument it stops answering messages after one second.
#include <windows.h>

#include <cstdlib>
#include <cstring>

static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const char* cls = __argc > 1 ? __argv[1] : "IMWindowClass";
    const char* title = __argc > 2 ? __argv[2] : "Conversation";
    const bool hang = __argc > 3 && std::strcmp(__argv[3], "hang") == 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = cls;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    CreateWindowA(cls, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr, instance,
                  nullptr);
    MSG msg;
    const DWORD start = GetTickCount();
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
        if (hang && GetTickCount() - start > 1000) Sleep(INFINITE);
    }
    return 0;
}
