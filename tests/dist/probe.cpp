// A helper for the package check, run under Wine: looks for a top-level window by class and title, which may be
// hidden, as the program's main window is while it sits in the notification area.
// Usage: dist_probe find <class> <title> <seconds>   exit 0 once the window exists, 1 when the time runs out
//        dist_probe close <class> <title> <seconds>  closes it and waits for its process to end: 0 when it ended
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND waitForWindow(const char* cls, const char* title, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindWindowA(cls, title)) return window;
        if (GetTickCount() - start >= ms) return nullptr;
        Sleep(100);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 || (std::strcmp(argv[1], "find") != 0 && std::strcmp(argv[1], "close") != 0)) {
        std::fprintf(stderr, "usage: dist_probe find|close <class> <title> <seconds>\n");
        return 2;
    }
    const DWORD ms = static_cast<DWORD>(std::atoi(argv[4])) * 1000;
    HWND window = waitForWindow(argv[2], argv[3], ms);
    if (!window) {
        std::printf("no window of class %s titled \"%s\"\n", argv[2], argv[3]);
        return 1;
    }
    if (std::strcmp(argv[1], "find") == 0) return 0;

    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) {
        std::printf("cannot open process %lu\n", pid);
        return 1;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    if (!ended) std::printf("process %lu did not end after WM_CLOSE\n", pid);
    return ended ? 0 : 1;
}
