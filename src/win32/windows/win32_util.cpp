#include "win32/windows/win32_util.h"

#include <objbase.h>

#include <cstdio>

#include "match/text.h"

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

// The core's conversions, which read a broken sequence as U+FFFD as the system's do; wchar_t is UTF-16 here.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring widen(std::string_view text) {
    const std::u16string wide = toUtf16(text);
    return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

std::string narrow(std::wstring_view text) {
    return toUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

char32_t foldCase(char32_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;  // the common case, without a call
    std::string one;
    appendUtf8(one, c);
    std::wstring wide = widen(one);
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(), static_cast<int>(wide.size()), wide.data(),
                  static_cast<int>(wide.size()), nullptr, nullptr, 0);
    std::size_t at = 0;
    return nextChar(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()), at);
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
    wchar_t text[512] = L"";
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), 0, text, 512, nullptr);
    std::string s = narrow(std::wstring_view(text, length));
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    return Error(what + ": " + (s.empty() ? std::string("error ") + hex : s + " (" + hex + ")"));
}

Error lastFailure(const std::string& what) { return failure(what, HRESULT_FROM_WIN32(GetLastError())); }

}  // namespace vr::win32
