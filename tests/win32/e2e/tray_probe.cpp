// The tray half of e2e_menu_probe.dll: inside vigilamp.exe, it points the program's import of Shell_NotifyIconW
// at a recorder that passes every call on and notes, for each icon the program hands to the shell, when and
// which picture (a digest of its colour pixels). The shell keeps the icons it is given to itself, so the driver
// learns from this record what the tray shows.
//
// The record, tray-icons.txt beside the program: one line per call that carries an icon, tab-separated:
//   tick (GetTickCount)  message (NIM_ADD 0, NIM_MODIFY 1)  digest (16 hex digits)
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "menu_probe.h"

namespace {

using NotifyIcon = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
NotifyIcon g_original = nullptr;
std::string g_record;

unsigned long long digest(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    unsigned long long hash = 14695981039346656037ull;  // FNV-1a over the pixels, top row first
    BITMAP bitmap{};
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bitmap, &bitmap)) {
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = bitmap.bmWidth;
        format.bmiHeader.biHeight = -bitmap.bmHeight;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        std::vector<unsigned char> pixels(std::size_t(bitmap.bmWidth) * bitmap.bmHeight * 4);
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, info.hbmColor, 0, UINT(bitmap.bmHeight), pixels.data(), &format, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        for (unsigned char byte : pixels) hash = (hash ^ byte) * 1099511628211ull;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return hash;
}

// Noted before the call is passed on: the shell's answer may wait while the thread handles a message sent to
// it (a click), whose own call to the shell would otherwise be noted first.
BOOL WINAPI recordingNotifyIcon(DWORD message, PNOTIFYICONDATAW data) {
    if (message != NIM_DELETE && data && (data->uFlags & NIF_ICON)) {
        char line[64];
        const int length = std::snprintf(line, sizeof line, "%lu\t%lu\t%016llx\n", GetTickCount(), message,
                                         digest(data->hIcon));
        HANDLE f = CreateFileA(g_record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, line, DWORD(length), &written, nullptr);
        CloseHandle(f);
    }
    return g_original(message, data);
}

// The program's import slot that holds Shell_NotifyIconW, or nullptr.
ULONG_PTR* importSlot() {
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleA(nullptr));
    const auto target = reinterpret_cast<ULONG_PTR>(GetProcAddress(GetModuleHandleA("shell32.dll"),
                                                                   "Shell_NotifyIconW"));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!target || !imports.VirtualAddress) return nullptr;
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name; ++dll) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + dll->Name), "shell32.dll") != 0) continue;
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk); slot->u1.Function; ++slot)
            if (slot->u1.Function == target) return reinterpret_cast<ULONG_PTR*>(&slot->u1.Function);
    }
    return nullptr;
}

}  // namespace

namespace e2e {

std::string watchTrayIcons(const std::string& folder) {
    if (g_original) return "<watching>\n";
    ULONG_PTR* slot = importSlot();
    if (!slot) return "<no import of Shell_NotifyIconW>\n";
    // The recorder must outlive the driver's hook, which would otherwise take this DLL out of the program.
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&recordingNotifyIcon), &self);
    g_record = folder + "\\" + kTrayIconsRecord;
    DWORD was = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
    g_original = reinterpret_cast<NotifyIcon>(*slot);
    *slot = reinterpret_cast<ULONG_PTR>(&recordingNotifyIcon);
    VirtualProtect(slot, sizeof *slot, was, &was);
    return "<watching>\n";
}

}  // namespace e2e
