// The end-to-end driver: runs each case against the real vigilamp.exe and ends with a summary line.
// Usage: e2e_driver.exe [name-filter]
#include <cstdio>
#include <cstring>

#include "e2e.h"
#include "menu_probe.h"
#include "win32/windows/win32_util.h"

namespace e2e {

namespace {

int g_failedChecks = 0;
DWORD g_caseStart = 0;
const char* g_caseName = "";
constexpr DWORD kCaseDeadline = 120000;

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

DWORD pidOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collectTopLevel(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    if (pidOf(window) == s->pid) s->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    int id;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK findChild(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<ChildSearch*>(param);
    if (GetDlgCtrlID(window) != s->id || (s->visibleOnly && !IsWindowVisible(window))) return TRUE;
    s->found = window;
    return FALSE;
}

// A case that runs past its deadline has hung: report it and end the run, so CI is never blocked.
DWORD WINAPI watchdog(void*) {
    for (;;) {
        Sleep(1000);
        if (g_caseStart && GetTickCount() - g_caseStart > kCaseDeadline) {
            std::printf("FAIL %s: no result within %lu s\n0 passed, 1 failed\n", g_caseName, kCaseDeadline / 1000);
            std::fflush(stdout);
            ExitProcess(3);
        }
    }
}

void removeFolder(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeFolder(path);
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

void check(bool ok, const std::string& what, const std::string& detail) {
    std::printf("  %s %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), detail.empty() ? "" : " -- ", detail.c_str());
    std::fflush(stdout);
    if (!ok) ++g_failedChecks;
}

bool waitFor(const std::function<bool()>& pred, DWORD ms) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < ms; Sleep(20)) {
        pump();
        if (pred()) return true;
    }
    pump();
    return pred();
}

std::string text(HWND window) {
    char buffer[2048] = "";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        2000, &result);
    return buffer;
}

std::string unicodeText(HWND window) {
    wchar_t buffer[4096] = L"";
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        2000, &result);
    return vr::win32::narrow(buffer);
}

std::string className(HWND window) {
    char buffer[256] = "";
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

bool lockOn(int vk) {
    pump();
    return GetKeyState(vk) & 1;
}

void setLock(int vk, bool on) {
    if (lockOn(vk) == on) return;
    keybd_event(BYTE(vk), 0x45, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(BYTE(vk), 0x45, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    waitFor([&] { return lockOn(vk) == on; }, 2000);
}

HWND trayWindow(const App& app) { return app.findOwn("TrmTrayIcon"); }

void mouse(HWND tray, UINT message) {
    constexpr UINT kCallback = WM_USER + 1;
    PostMessageA(tray, kCallback, 1, message);
}

HWND waitMenu(const App& app, DWORD ms) {
    HWND menu = nullptr;
    waitFor([&] { return (menu = app.findOwn("#32768")) && IsWindowVisible(menu); }, ms);
    return menu;
}

bool menuClosed(const App& app) {
    return waitFor([&] {
        HWND menu = app.findOwn("#32768");
        return !menu || !IsWindowVisible(menu);
    }, 3000);
}

void key(HWND window, UINT vk) {
    PostMessageA(window, WM_KEYDOWN, vk, 1);
    PostMessageA(window, WM_KEYUP, vk, 0xC0000001);
}

bool choose(const App& app, HWND tray, int steps) {
    mouse(tray, WM_RBUTTONUP);
    HWND menu = waitMenu(app);
    if (!menu) return false;
    for (int i = 0; i < steps; ++i) key(menu, VK_DOWN);
    key(menu, VK_RETURN);
    return menuClosed(app);
}

void screenshot(HWND window, const std::string& name) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = (DWORD(w) * 3 + 3) & ~3u, size = stride * DWORD(h);
    BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) + size, 0, 0,
                          DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    const std::string folder = here() + "\\screens";
    CreateDirectoryA(folder.c_str(), nullptr);
    HANDLE f = CreateFileA((folder + "\\" + name + ".bmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    DWORD written;
    WriteFile(f, &file, sizeof file, &written, nullptr);
    WriteFile(f, &bmi.bmiHeader, sizeof bmi.bmiHeader, &written, nullptr);
    WriteFile(f, bits, size, &written, nullptr);
    CloseHandle(f);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

COLORREF pixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

std::string iniValue(const std::string& path, const char* section, const char* key) {
    char value[2048] = "";
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, path.c_str());
    return value;
}

std::string fileText(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text(GetFileSize(f, nullptr), '\0');
    DWORD read = 0;
    ReadFile(f, text.data(), DWORD(text.size()), &read, nullptr);
    CloseHandle(f);
    text.resize(read);
    return text;
}

std::string machineValue(const char* key, const char* name) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_64KEY, &handle) != ERROR_SUCCESS)
        return "<missing>";
    char data[1024] = "";
    DWORD size = sizeof data - 1, type = 0;
    const LONG read = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    if (read != ERROR_SUCCESS) return "<missing>";
    return type == REG_SZ ? std::string(data) : "<not a string>";
}

namespace {

constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Vigilamp Rizu";

void deleteRunValue() {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &handle) != 0) return;
    RegDeleteValueA(handle, kRunValue);
    RegCloseKey(handle);
}

// What a case may leave behind: a copy's folder, a running copy, the start-up registration.
std::string leftovers() {
    std::string found;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((std::string(temp) + "vigilamp-e2e-*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        found += std::string("folder ") + entry.cFileName + "; ";
        FindClose(search);
    }
    if (FindWindowA("TfrmMain", nullptr)) found += "a running vigilamp.exe; ";
    if (machineValue(kRunKeyPath, kRunValue) != "<missing>") found += "the Run value; ";
    return found;
}

}  // namespace

// The probe is hooked into the program's thread and posted the probe message, which it answers with its report
// beside the program; the hook goes once the report is there.
std::string probe(const App& app, HWND window, WPARAM which) {
    static const HMODULE dll = LoadLibraryA((here() + "\\e2e_menu_probe.dll").c_str());
    const auto hookOf = reinterpret_cast<HOOKPROC (*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(dll, "menuProbeHook")));
    if (!hookOf) return "<no probe DLL>";
    const std::string report = app.folder() + "\\" + kMenuProbeReport;
    DeleteFileA(report.c_str());
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, hookOf(), dll, GetWindowThreadProcessId(window, nullptr));
    if (!hook) return "<no hook: error " + std::to_string(GetLastError()) + ">";
    PostMessageA(window, RegisterWindowMessageA(kMenuProbeMessage), which, 0);
    std::string text = "<no report>";
    waitFor([&] { return (text = fileText(report)) != "<missing>"; }, 5000);
    UnhookWindowsHookEx(hook);
    return text;
}

std::string here() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

App::App(const std::string& ini, const std::string& folderTail)
    : registeredBefore_(machineValue(kRunKeyPath, kRunValue) != "<missing>") {
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "vigilamp-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++serial) + folderTail;
    removeFolder(folder_);
    CreateDirectoryA(folder_.c_str(), nullptr);
    const std::string exe = folder_ + "\\vigilamp.exe";
    CopyFileA((here() + "\\vigilamp.exe").c_str(), exe.c_str(), FALSE);
    // Installed beside it, as the build and a release place it.
    CopyFileA((here() + "\\vigilampairraid.mp3").c_str(), (folder_ + "\\vigilampairraid.mp3").c_str(), FALSE);
    if (!ini.empty()) {
        HANDLE f = CreateFileA(iniPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, ini.data(), DWORD(ini.size()), &written, nullptr);
        CloseHandle(f);
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + exe + "\"";
    const auto start = [&] {
        return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &si,
                              &process_) != FALSE;
    };
    // Wine now and then refuses a start with an internal error before the program runs at all: once more.
    if (!start() && !(GetLastError() == ERROR_INTERNAL_ERROR && (Sleep(200), start()))) {
        check(false, "vigilamp.exe starts", "CreateProcess error " + std::to_string(GetLastError()));
        return;
    }
    WaitForInputIdle(process_.hProcess, 10000);
    waitFor([&] { return (main_ = findOwn("TfrmMain")) != nullptr; }, 10000);
    if (!main_) check(false, "the main window exists");
    // The pages are built just after start-up, once the tray icon is up: the cases work on their controls.
    waitFor([&] { return control(vr::Ctl::lblTestResult) != nullptr; }, 10000);
}

App::~App() {
    if (process_.hProcess) {
        if (running()) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    removeFolder(folder_);
    if (!registeredBefore_) deleteRunValue();  // a copy started with "Start with Windows" registers itself
}

std::vector<HWND> App::topLevelWindows() const {
    Search s{process_.dwProcessId, {}};
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND App::findOwn(const char* cls, const char* title) const {
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, cls, title));)
        if (pidOf(h) == process_.dwProcessId) return h;
    return nullptr;
}

HWND childById(HWND parent, int id, bool visibleOnly) {
    ChildSearch s{id, visibleOnly, nullptr};
    EnumChildWindows(parent, findChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND App::control(vr::Ctl id) const { return childById(main_, static_cast<int>(id)); }

void App::click(vr::Ctl id) const { SendMessageA(control(id), BM_CLICK, 0, 0); }
// A single-line edit tells its parent of a text set this way as of a typed one (EN_CHANGE).
void App::type(vr::Ctl id, const std::string& text) const {
    SendMessageW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(vr::win32::widen(text).c_str()));
}
void App::postClick(vr::Ctl id) const { PostMessageA(control(id), BM_CLICK, 0, 0); }
void App::post(vr::Cmd command) const { PostMessageA(main_, WM_COMMAND, static_cast<WPARAM>(command), 0); }
void App::send(vr::Cmd command) const { SendMessageA(main_, WM_COMMAND, static_cast<WPARAM>(command), 0); }

HWND App::waitBox(const char* caption, DWORD ms) const {
    HWND box = nullptr;
    waitFor([&] { return (box = findOwn("#32770", caption)) && IsWindowVisible(box); }, ms);
    return box;
}

void App::answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

bool App::waitExit(DWORD ms) const { return WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0; }

Target::Target(const std::string& cls, const std::string& title, bool hang, const std::string& ways) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::string command = "\"";  // built by appending: GCC 12 warns falsely on a chain of + here
    command.append(here()).append("\\e2e_target.exe\" \"").append(cls).append("\" \"").append(title).append("\"");
    if (hang || !ways.empty()) command.append(" \"").append(hang ? "hang " : "").append(ways).append("\"");
    std::wstring wide = vr::win32::widen(command);
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_)) {
        check(false, "the target window's program starts");
        return;
    }
    // The class as the helper reads its argument: "\r" and "\n" stand for line breaks.
    std::string real;
    for (std::size_t i = 0; i < cls.size(); ++i) {
        if (cls[i] == '\\' && i + 1 < cls.size() && (cls[i + 1] == 'r' || cls[i + 1] == 'n'))
            real += cls[++i] == 'r' ? '\r' : '\n';
        else real += cls[i];
    }
    // Its own window: other helpers may show windows of the same class.
    const std::wstring className = vr::win32::widen(real);
    waitFor([&] {
        for (HWND w = FindWindowExW(nullptr, nullptr, className.c_str(), nullptr); w;
             w = FindWindowExW(nullptr, w, className.c_str(), nullptr))
            if (pidOf(w) == process_.dwProcessId) return (window_ = w) != nullptr;
        return false;
    }, 10000);
}

Target::~Target() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

std::vector<Case>& cases() {
    static std::vector<Case> all;
    return all;
}

}  // namespace e2e

int main(int argc, char** argv) {
    using namespace e2e;
    // Coordinates as the screen has them, like the program's own, whatever the system DPI.
    SetProcessDPIAware();
    // A window of its own gives the driver a message queue, so it sees the lock states change.
    CreateWindowA("STATIC", "e2e driver", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);
    const char* filter = argc > 1 ? argv[1] : "";
    int passed = 0, failed = 0;
    const DWORD start = GetTickCount();
    for (const Case& c : cases()) {
        if (!std::strstr(c.name, filter)) continue;
        std::printf("%s\n", c.name);
        std::fflush(stdout);
        const int before = g_failedChecks;
        g_caseName = c.name;
        g_caseStart = GetTickCount();
        c.run();
        g_caseStart = 0;
        (g_failedChecks == before ? passed : failed)++;
    }
    // The suite leaves nothing behind, so a second run starts from the same state as the first.
    if (!*filter) {
        const std::string left = leftovers();
        std::printf("%s\n", left.empty() ? "no leftovers" : ("LEFTOVER: " + left).c_str());
        if (!left.empty()) ++failed;
    }
    std::printf("e2e: %lu s\n%d passed, %d failed\n", (GetTickCount() - start) / 1000, passed, failed);
    return failed ? 1 : 0;
}
