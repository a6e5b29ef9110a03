// e2e_menu_probe.dll: reads vigilamp.exe's menus from inside its process. Wine keeps a menu in the process
// that made it, so the driver cannot read it as a screen reader on Windows does from outside; instead the
// driver hooks this DLL into the program's thread (WH_GETMESSAGE) and posts it the probe message. The probe
// then writes, for each item, what an accessibility client would read: the item's string (GetMenuStringA),
// whether it is owner-drawn, and the name in the MSAAMENUINFO its item data starts with.
//
// The report, menu-probe.txt beside the program: one line per item, fields separated by tabs:
//   depth  kind ("item", "menu" for one that opens a drop-down, "separator")  string  owner-drawn (0/1)  name
// where name is the MSAAMENUINFO's text, "<none>" without its signature, or "<length N of M>" when cchWText is
// not the text's length. A drop-down's items follow the item that opens it, one deeper. The same message can ask
// the probe to watch the icons the program hands to the shell instead (tray_probe.cpp).
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <type_traits>

#include "menu_probe.h"

namespace {

std::string narrow(const wchar_t* text, int length) {
    std::string s(std::size_t(length) * 4, '\0');
    s.resize(std::size_t(WideCharToMultiByte(CP_ACP, 0, text, length, s.data(), int(s.size()), nullptr, nullptr)));
    return s;
}

void describe(HMENU menu, int depth, std::string& report) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
        std::string name = "<none>";
        if (const auto* msaa = reinterpret_cast<const MSAAMENUINFO*>(info.dwItemData);
            msaa && msaa->dwMSAASignature == MSAA_MENU_SIG) {
            const int length = msaa->pszWText ? lstrlenW(msaa->pszWText) : 0;
            name = int(msaa->cchWText) == length ? narrow(msaa->pszWText, length)
                                                 : "<length " + std::to_string(msaa->cchWText) + " of " +
                                                       std::to_string(length) + ">";
        }
        const char* kind = (info.fType & MFT_SEPARATOR) ? "separator" : info.hSubMenu ? "menu" : "item";
        report += std::to_string(depth) + "\t" + kind + "\t" + text + "\t" +
                  ((info.fType & MFT_OWNERDRAW) ? "1" : "0") + "\t" + name + "\n";
        if (info.hSubMenu) describe(info.hSubMenu, depth + 1, report);
    }
}

// The pop-up menu this process shows now, by its window.
HMENU openPopUp() {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32768", nullptr));) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w))
            return reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0));
    }
    return nullptr;
}

std::string programFolder() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder = exe;
    folder.resize(folder.find_last_of('\\'));
    return folder;
}

void writeReport(const std::string& report) {
    const std::string folder = programFolder();
    // Written whole under another name first, so the driver never reads half a report.
    const std::string part = folder + "\\" + e2e::kMenuProbeReport + ".part";
    HANDLE f = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, report.data(), DWORD(report.size()), &written, nullptr);
    CloseHandle(f);
    MoveFileExA(part.c_str(), (folder + "\\" + e2e::kMenuProbeReport).c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK probe(int code, WPARAM removed, LPARAM param) {
    static const UINT message = RegisterWindowMessageA(e2e::kMenuProbeMessage);
    auto* msg = reinterpret_cast<MSG*>(param);
    if (code == HC_ACTION && removed == PM_REMOVE && msg->message == message) {
        if (msg->wParam == e2e::kProbeTrayIcons) {
            writeReport(e2e::watchTrayIcons(programFolder()));
        } else {
            HMENU menu = msg->wParam == e2e::kProbeOpenPopUp ? openPopUp() : GetMenu(msg->hwnd);
            std::string report;
            if (menu) describe(menu, 0, report);
            writeReport(menu ? report : "<no menu>\n");
        }
        msg->message = WM_NULL;  // the program never sees it
    }
    return CallNextHookEx(nullptr, code, removed, param);
}
static_assert(std::is_convertible_v<decltype(&probe), HOOKPROC>, "a hook procedure as the system calls it");

}  // namespace

extern "C" __declspec(dllexport) HOOKPROC menuProbeHook() { return probe; }
