#include "win32/windows/about_window.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "image/png.h"
#include "model/about.h"
#include "win32/windows/win32_util.h"
#include "win32/windows/window_object.h"

namespace vr::win32 {

namespace {

constexpr char kAboutClass[] = "TfrmAbout";
using namespace about;
constexpr int kLogoResource = 3;

// The logo resource decoded into a bitmap AlphaBlend can draw; nullptr when the picture is refused.
HBITMAP loadLogo(HINSTANCE instance, SIZE& size) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(kLogoResource), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return nullptr;
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(instance, found)));
    const auto picture = png::decode({data, SizeofResource(instance, found)});
    if (!picture) return nullptr;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = LONG(picture->width);
    bmi.bmiHeader.biHeight = -LONG(picture->height);
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    const std::vector<std::uint8_t> pixels = png::premultipliedBgra(*picture);
    std::memcpy(bits, pixels.data(), pixels.size());
    size = {LONG(picture->width), LONG(picture->height)};
    return bitmap;
}

}  // namespace

AboutWindow::AboutWindow(HINSTANCE instance, HWND owner) {
    registerWindowClass(instance, kAboutClass, objectWindowProc<AboutWindow>);
    dpi_ = systemDpi();

    // A tool window of fixed size: a small caption with only its close box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW;
    RECT frame{0, 0, scale(kClientWidth), scale(kClientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    CreateWindowExA(exStyle, kAboutClass, kCaption, style, scale(kLeft), scale(kTop), frame.right - frame.left,
                    frame.bottom - frame.top, owner, nullptr, instance, this);

    windowFont_ = createFont({"MS Sans Serif", 8}, dpi_);
    titleFont_ = createFont({"MS Sans Serif", 12, FW_BOLD}, dpi_);
    textFonts_[Times10] = createFont({"Times New Roman", 10, FW_NORMAL, false, false, FF_ROMAN}, dpi_);
    textFonts_[Times8] = createFont({"Times New Roman", 8, FW_NORMAL, false, false, FF_ROMAN}, dpi_);
    textFonts_[Arial8] = createFont({"Arial", 8}, dpi_);
    instance_ = instance;
    createControls(instance);
}

AboutWindow::~AboutWindow() {
    DestroyWindow(window_);
    for (HFONT f : {windowFont_, titleFont_, textFonts_[0], textFonts_[1], textFonts_[2]}) DeleteObject(f);
    if (logo_) DeleteObject(logo_);
}

void AboutWindow::createControls(HINSTANCE instance) {
    SendMessageA(window_, WM_SETFONT, WPARAM(windowFont_), FALSE);
    const RECT title = scaled(kTitleBox.x, kTitleBox.y, kTitleBox.w, kTitleBox.h),
               button = scaled(kCloseBox.x, kCloseBox.y, kCloseBox.w, kCloseBox.h);
    HWND label = CreateWindowExA(0, "STATIC", kCaption, WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                                 title.left, title.top, title.right - title.left, title.bottom - title.top, window_,
                                 HMENU(INT_PTR(AboutCtl::lblAbout)), instance, nullptr);
    SendMessageA(label, WM_SETFONT, WPARAM(titleFont_), FALSE);
    closeButton_ = CreateWindowExA(0, "BUTTON", "Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                   button.left, button.top, button.right - button.left, button.bottom - button.top,
                                   window_, HMENU(INT_PTR(AboutCtl::btnClose)), instance, nullptr);
    SendMessageA(closeButton_, WM_SETFONT, WPARAM(windowFont_), FALSE);
}

RECT AboutWindow::scaled(int x, int y, int w, int h) const {
    return {scale(x), scale(y), scale(x + w), scale(y + h)};
}

void AboutWindow::show() {
    // The logo is decoded when the window is first shown: most runs never show it.
    if (!logoLoaded_) {
        logo_ = loadLogo(instance_, logoSize_);
        logoLoaded_ = true;
    }
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    BringWindowToTop(window_);
}

void AboutWindow::close() { ShowWindow(window_, SW_HIDE); }

void AboutWindow::paint(HDC dc) const {
    paintLogo(dc);  // back to front: the text lies over the logo
    paintText(dc);
}

void AboutWindow::paintLogo(HDC dc) const {
    if (!logo_) return;
    const RECT box = scaled(kLogoBox.x, kLogoBox.y, kLogoBox.w, kLogoBox.h);
    // Drawn at its own size from its top-left corner; what passes the box is cut off.
    const int w = std::min<int>(logoSize_.cx, kLogoBox.w);
    const int h = std::min<int>(logoSize_.cy, kLogoBox.h);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, logo_);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, box.left, box.top, scale(w), scale(h), source, 0, 0, w, h, blend);
    SelectObject(source, old);
    DeleteDC(source);
}

void AboutWindow::paintText(HDC dc) const {
    const RECT box = scaled(kTextBox.x, kTextBox.y, kTextBox.w, kTextBox.h);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    int y = box.top;
    for (const Paragraph& p : kText) {
        SelectObject(dc, textFonts_[p.font]);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        RECT line{box.left, y, box.right, y + metrics.tmHeight};
        DrawTextA(dc, p.text, -1, &line, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        y += metrics.tmHeight;
    }
    RestoreDC(dc, saved);
}

LRESULT AboutWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // The Close button, and Enter or Esc through the dialog keys of the message loop.
        switch (LOWORD(wParam)) {
        case static_cast<int>(AboutCtl::btnClose):
        case IDOK:
        case IDCANCEL: close(); return 0;
        }
        break;
    case WM_CLOSE:  // the close box, Alt+F4 and the system menu
        close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(closeButton_);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window_, &ps);
        paint(dc);
        EndPaint(window_, &ps);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vr::win32
