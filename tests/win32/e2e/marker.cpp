// A stand-in for the program an alert starts: it writes "<its own path>.ran" holding how it was asked to show
// itself (the show command of its start-up information) and its command line, then ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    STARTUPINFOA info{};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    const int show = info.dwFlags & STARTF_USESHOWWINDOW ? info.wShowWindow : -1;
    const std::string record = std::to_string(show) + "\r\n" + GetCommandLineA() + "\r\n";
    HANDLE f = CreateFileA((std::string(path) + ".ran").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(f, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(f);
    return 0;
}
