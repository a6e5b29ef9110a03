// A stand-in for the program the shell opens a document or a web address with. It writes what it was given to
// open, its working folder and how it was asked to show itself, one to a line, to the file that the variable
// VIGILAMP_E2E_OPENED names, and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    char marker[MAX_PATH] = "", folder[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("VIGILAMP_E2E_OPENED", marker, sizeof marker)) return 1;
    GetCurrentDirectoryA(sizeof folder, folder);
    const std::string report = std::string(__argc > 1 ? __argv[1] : "") + "\n" + folder + "\n" +
                               std::to_string(show) + "\n";
    // Written under another name and renamed, so that a reader never sees half a report.
    const std::string partial = std::string(marker) + ".part";
    HANDLE f = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    WriteFile(f, report.data(), DWORD(report.size()), &written, nullptr);
    CloseHandle(f);
    return MoveFileExA(partial.c_str(), marker, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}
