// End-to-end cases of the About window: one window, created hidden, shown and hidden in place, its keys, and
// its logo and text read back from the screen.
#include <cstdio>
#include <cstdlib>

#include "e2e.h"

using vr::AboutCtl;
using vr::Cmd;

namespace {

int dpi() {
    HDC screen = GetDC(nullptr);
    const int d = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return d;
}
int scaled(int pixels) { return MulDiv(pixels, dpi(), 96); }

int aboutWindows(const e2e::App& app) {
    int n = 0;
    for (HWND w : app.topLevelWindows()) n += e2e::className(w) == "TfrmAbout";
    return n;
}

POINT topLeft(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {r.left, r.top};
}

std::string describe(COLORREF c) {
    char b[32];
    std::snprintf(b, sizeof b, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return b;
}

bool similar(COLORREF a, COLORREF b, int tolerance = 8) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Shows the About window from the menu and waits until it is on the screen.
HWND showAbout(const e2e::App& app) {
    app.send(Cmd::About);
    HWND about = app.findOwn("TfrmAbout");
    e2e::waitFor([&] { return about && IsWindowVisible(about); }, 3000);
    return about;
}

}  // namespace

E2E_CASE(about_is_one_window_shown_hidden_and_reopened_where_it_was_left) {
    e2e::App app;
    HWND about = app.findOwn("TfrmAbout");
    e2e::check(about && !IsWindowVisible(about), "the About window exists from start-up, hidden");
    e2e::check(showAbout(app) == about && IsWindowVisible(about), "Help > About shows it");
    e2e::check(e2e::text(about) == "About Vigilamp Rizu!", "its caption", e2e::text(about));
    RECT client;
    GetClientRect(about, &client);
    e2e::check(client.right == scaled(673) && client.bottom == scaled(227), "its client area is 673 x 227",
               std::to_string(client.right) + " x " + std::to_string(client.bottom));
    const POINT designed = topLeft(about);
    e2e::check(designed.x == scaled(346) && designed.y == scaled(285), "it stands at 346, 285",
               std::to_string(designed.x) + ", " + std::to_string(designed.y));
    const LONG style = GetWindowLongA(about, GWL_STYLE), exStyle = GetWindowLongA(about, GWL_EXSTYLE);
    e2e::check((exStyle & WS_EX_TOOLWINDOW) && (style & WS_SYSMENU) &&
                   !(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)),
               "a tool window that cannot be resized, minimised or maximised");
    e2e::check(e2e::text(GetDlgItem(about, int(AboutCtl::lblAbout))) == "About Vigilamp Rizu!" &&
                   e2e::text(GetDlgItem(about, int(AboutCtl::btnClose))) == "Close",
               "the label and the Close button");
    e2e::check(!IsWindowVisible(app.main()) && IsWindowEnabled(app.main()),
               "the main window stays hidden and usable: the About window is not modal");

    app.send(Cmd::About);
    e2e::check(aboutWindows(app) == 1 && IsWindowVisible(about), "About again shows the same window, no second one");

    SendMessageA(GetDlgItem(about, int(AboutCtl::btnClose)), BM_CLICK, 0, 0);
    e2e::check(e2e::waitFor([&] { return !IsWindowVisible(about); }, 2000) && IsWindow(about),
               "Close hides it without destroying it");
    e2e::check(app.running(), "and the program goes on");

    showAbout(app);
    e2e::check(topLeft(about).x == designed.x && topLeft(about).y == designed.y, "it reopens where it was");
    SetWindowPos(about, nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // the user moves it
    SendMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);  // its close box
    e2e::check(e2e::waitFor([&] { return !IsWindowVisible(about); }, 2000) && IsWindow(about),
               "the close box hides it too");
    showAbout(app);
    const POINT moved = topLeft(about);
    e2e::check(IsWindowVisible(about) && moved.x == 120 && moved.y == 90, "and it reopens where the user left it",
               std::to_string(moved.x) + ", " + std::to_string(moved.y));
    e2e::check(aboutWindows(app) == 1, "still one About window");
}

E2E_CASE(about_closes_with_escape_and_enter) {
    e2e::App app;
    for (auto [key, name] : {std::pair{VK_ESCAPE, "Esc"}, {VK_RETURN, "Enter"}}) {
        HWND about = showAbout(app);
        // The key arrives through the program's message loop, at the control that has the focus.
        PostMessageA(GetDlgItem(about, int(AboutCtl::btnClose)), WM_KEYDOWN, WPARAM(key), 1);
        PostMessageA(GetDlgItem(about, int(AboutCtl::btnClose)), WM_KEYUP, WPARAM(key), 0xC0000001);
        e2e::check(e2e::waitFor([&] { return !IsWindowVisible(about); }, 2000), std::string(name) + " closes it");
    }
    e2e::check(aboutWindows(app) == 1 && app.running(), "the window stays, hidden, and the program goes on");
}

E2E_CASE(about_draws_its_logo_under_its_text) {
    e2e::App app;
    HWND about = showAbout(app);
    e2e::waitFor([] { return false; }, 400);
    e2e::screenshot(about, "about");
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // The logo stands at 220, 96: sample its emblem, an almost opaque edge and its transparent ground.
    const auto logo = [&](int x, int y) { return e2e::pixel(about, scaled(220 + x), scaled(96 + y)); };
    const COLORREF emblem = logo(70, 80), edge = logo(12, 72), ground = logo(1, 1), wordmark = logo(160, 75);
    e2e::check(similar(emblem, RGB(0xFF, 0xB0, 0x20)), "the logo's emblem is drawn", describe(emblem));
    e2e::check(similar(edge, RGB(0xC0, 0x7A, 0x10), 12), "its edges are blended with their alpha", describe(edge));
    e2e::check(similar(ground, face, 2), "its transparent ground shows the button face", describe(ground));
    e2e::check(similar(wordmark, RGB(0x3C, 0x3F, 0x44)), "the wordmark is drawn", describe(wordmark));
    // The emblem's top lies inside the text's box (4, 24, 569 x 135), which must not cover it.
    const COLORREF underText = logo(50, 60);
    e2e::check(similar(underText, RGB(0xFF, 0xF4, 0xC1)), "the text's box lets the logo show through",
               describe(underText));
    // The about text: its lines leave ink on the button face, its blank lines none.
    const auto inkInRows = [&](int top, int bottom, int right = 400) {
        int ink = 0;
        for (int y = scaled(top); y < scaled(bottom); y += 1)
            for (int x = scaled(4); x < scaled(right); x += 2) ink += !similar(e2e::pixel(about, x, y), face, 24);
        return ink;
    };
    e2e::check(inkInRows(24, 50) == 0, "the text starts with blank lines");
    e2e::check(inkInRows(50, 70) > 20, "then the thanks");
    e2e::check(inkInRows(82, 110) > 20, "and the notices");
    e2e::check(inkInRows(160, 195, 215) == 0, "nothing below the text and above the button");
}
