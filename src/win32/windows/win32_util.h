// What every window and adapter of the Windows front end shares: the class registration, the screen's DPI,
// the fonts at a DPI, and turning a failed call into the program's error.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "ports.h"

namespace vr::win32 {

// Registers a window class of this module once; a later call for the same name does nothing.
void registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, int iconResource = 0,
                         HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

// The screen's pixels per inch, which the windows scale their 96-dpi geometry and their fonts by.
int systemDpi();

struct FontSpec {
    const char* face;
    int points;
    int weight = FW_NORMAL;
    bool italic = false, underline = false;
    BYTE family = FF_SWISS;  // lets the font mapper pick a like font where the face is missing
};
HFONT createFont(const FontSpec& spec, int dpi);

// Text between the UTF-8 the program speaks and the UTF-16 the system keeps. A text the program holds is UTF-8
// on both front ends; only the settings file is in the system's code page, as the profile functions keep it.
std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);

// Letter case folded as the system compares names without regard to it (its invariant upper case).
char32_t foldCase(char32_t c);

// The user-interface thread's COM apartment, for the sound player and the shell's extensions: entered the first
// time one of them is used (most runs never need it), left once at the end of the program.
void needComApartment();
void leaveComApartment();

// The program's error for a failed call: "<what>: <the system's text> (0x<code>)", or "<what>: error 0x<code>"
// where the system has no text for the code.
Error failure(const std::string& what, HRESULT code);
// The same for the calling thread's last error.
Error lastFailure(const std::string& what);

}  // namespace vr::win32
