// TfrmAbout on Win32: a tool window created once, hidden, at start-up, then only shown and hidden, so it
// reopens where the user left it. The label and the Close button are controls; the logo and the about text
// are drawn by the window itself, the text over the logo, as graphic controls without windows of their own.
#pragma once
#include <windows.h>

#include "model/ids.h"

namespace vr::win32 {

class AboutWindow {
public:
    // Creates the window hidden, owned by the application's hidden taskbar window.
    AboutWindow(HINSTANCE instance, HWND owner);
    ~AboutWindow();
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    HWND handle() const { return window_; }
    void show();   // visible and in front of the program's other windows
    void close();  // hidden, not destroyed

private:
    template <class T>
    friend LRESULT CALLBACK objectWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls(HINSTANCE instance);
    void paint(HDC dc) const;
    void paintLogo(HDC dc) const;
    void paintText(HDC dc) const;
    RECT scaled(int x, int y, int w, int h) const;
    int scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

    HWND window_ = nullptr;
    HWND closeButton_ = nullptr;
    int dpi_ = 96;
    HFONT windowFont_ = nullptr, titleFont_ = nullptr;
    HFONT textFonts_[3] = {};  // the about text's: Times New Roman 10 pt and 8 pt, Arial 8 pt
    HINSTANCE instance_ = nullptr;
    bool logoLoaded_ = false;
    HBITMAP logo_ = nullptr;   // premultiplied 32-bit, top-down; none when the picture was refused
    SIZE logoSize_{};
};

}  // namespace vr::win32
