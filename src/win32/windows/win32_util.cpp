#include "win32/windows/win32_util.h"

#include <objbase.h>

#include <cstdio>

namespace vr::win32 {

void registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, int iconResource,
                         HBRUSH background) {
    WNDCLASSEXA wc{};
    if (GetClassInfoExA(instance, name, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = name;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    if (iconResource) {
        wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(iconResource));
        wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCE(iconResource), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    RegisterClassExA(&wc);
}

int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

HFONT createFont(const FontSpec& spec, int dpi) {
    return CreateFontA(-MulDiv(spec.points, dpi, 72), 0, 0, 0, spec.weight, spec.italic, spec.underline, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | spec.family, spec.face);
}

std::wstring widen(std::string_view text) {
    if (text.empty()) return {};
    std::wstring wide(text.size(), L'\0');  // never more UTF-16 units than bytes
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                              wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) return {};
    std::string bytes(text.size() * 2, '\0');  // a double-byte code page needs at most two per unit
    bytes.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                              bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                              nullptr)));
    return bytes;
}

namespace {
bool comEntered = false, comTried = false;
}  // namespace

void needComApartment() {
    if (comTried) return;
    comTried = true;
    comEntered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

void leaveComApartment() {
    if (comEntered) CoUninitialize();
    comEntered = false;
}

Error failure(const std::string& what, HRESULT code) {
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string s(text, length);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    return Error(what + ": " + (s.empty() ? std::string("error ") + hex : s + " (" + hex + ")"));
}

Error lastFailure(const std::string& what) { return failure(what, HRESULT_FROM_WIN32(GetLastError())); }

}  // namespace vr::win32
