// End-to-end cases of the main window: every control where the layout puts it, the menu's pages, Hide, and
// the status lights read from the screen.
#include <cstdio>

#include "e2e.h"
#include "model/layout.h"

using vr::Cmd;
using vr::Ctl;

namespace {

RECT inParent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string describe(const RECT& r) {
    char b[64];
    std::snprintf(b, sizeof b, "%ld,%ld %ldx%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return b;
}

}  // namespace

E2E_CASE(every_control_stands_where_the_layout_puts_it) {
    e2e::App app;
    int wrong = 0, total = 0;
    std::string first;
    for (const vr::PageTable& page : vr::pageTables())
        for (const vr::ControlRow& row : page.rows) {
            ++total;
            HWND c = app.control(row.id);
            const RECT r = c ? inParent(c) : RECT{};
            const bool sized = row.kind != vr::Kind::Label || (row.flags & vr::Wrap);
            bool ok = c && (row.flags & vr::RightAlign ? r.right - r.left > 0 : r.left == row.x) && r.top == row.y;
            if (sized) ok = ok && r.right - r.left == row.w && r.bottom - r.top == row.h;
            // Labels the table leaves empty are filled at start-up with what this system offers (the captions'
            // list holds their texts under Wine).
            const bool filled = row.kind == vr::Kind::Label && !*row.text;
            if (c && row.kind != vr::Kind::Led && row.kind != vr::Kind::List && row.kind != vr::Kind::Spin &&
                !filled)
                ok = ok && e2e::text(c) == row.text;
            if (!ok && first.empty()) first = std::to_string(int(row.id)) + " at " + describe(r);
            wrong += !ok;
        }
    e2e::check(wrong == 0, std::to_string(total - wrong) + " of " + std::to_string(total) + " controls in place",
               first);
}

E2E_CASE(menu_items_show_their_pages_and_hide_hides) {
    e2e::App app;
    app.send(Cmd::TrayShow);
    e2e::check(e2e::waitFor([&] { return IsWindowVisible(app.main()) != 0; }), "the show step shows the window");
    const std::pair<Cmd, const char*> items[] = {{Cmd::ShowStatusPage, "Status"},    {Cmd::ShowTimersPage, "Timers"},
                                                 {Cmd::ShowLightingPage, "Lighting"}, {Cmd::ShowActionsPage, "Actions"},
                                                 {Cmd::ShowAdvancedPage, "Advanced"}, {Cmd::ShowMatchPage, "Match"}};
    HWND notebook = app.control(Ctl::nteItems);
    for (auto [item, name] : items) {
        app.send(item);
        HWND shown = nullptr;
        for (HWND p = GetWindow(notebook, GW_CHILD); p; p = GetWindow(p, GW_HWNDNEXT))
            if (IsWindowVisible(p)) shown = shown ? HWND(-1) : p;
        e2e::check(shown && shown != HWND(-1) && e2e::text(shown) == name, std::string("the page ") + name,
                   shown && shown != HWND(-1) ? e2e::text(shown) : "not exactly one page visible");
        e2e::waitFor([] { return false; }, 300);
        e2e::screenshot(app.main(), std::string("page-") + name);
    }
    RECT before;
    GetWindowRect(app.main(), &before);
    app.send(Cmd::Hide);
    e2e::check(!IsWindowVisible(app.main()), "Hide hides the window");
    app.send(Cmd::TrayShow);
    RECT after;
    GetWindowRect(app.main(), &after);
    e2e::check(IsWindowVisible(app.main()) && after.left == before.left && after.top == before.top,
               "and the show step brings it back where it was");
}

E2E_CASE(status_lights_mirror_the_keys_and_go_maroon_when_disabled) {
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) e2e::setLock(vk, false);
    e2e::App app;
    app.send(Cmd::TrayShow);
    HWND caps = app.control(Ctl::ledStatCaps);
    auto centre = [&] {
        RECT r;
        GetClientRect(caps, &r);
        return e2e::pixel(caps, r.right / 2, r.bottom / 2);
    };
    e2e::check(e2e::waitFor([&] { return centre() == RGB(0, 128, 0); }, 2000), "unlit green at first");
    e2e::setLock(VK_CAPITAL, true);
    e2e::check(e2e::waitFor([&] { return centre() == RGB(0, 255, 0); }, 2000), "lime when Caps Lock goes on");
    e2e::screenshot(app.main(), "status-lights");
    app.click(Ctl::cbxDisableStat);
    e2e::check(e2e::waitFor([&] { return centre() == RGB(128, 0, 0); }, 2000), "unlit maroon when disabled");
    e2e::setLock(VK_CAPITAL, false);
    e2e::setLock(VK_CAPITAL, true);
    e2e::waitFor([] { return false; }, 1200);
    e2e::check(centre() == RGB(128, 0, 0), "and it no longer follows the key");
    app.click(Ctl::cbxDisableStat);
    e2e::check(e2e::waitFor([&] { return centre() == RGB(0, 255, 0); }, 2000), "lit again when enabled");
    e2e::setLock(VK_CAPITAL, false);
}

namespace {

void press(WORD vk) {
    keybd_event(BYTE(vk), 0, 0, 0);
    keybd_event(BYTE(vk), 0, KEYEVENTF_KEYUP, 0);
}

// The page the notebook shows, by its window text.
std::string shownPage(const e2e::App& app) {
    for (HWND p = GetWindow(app.control(Ctl::nteItems), GW_CHILD); p; p = GetWindow(p, GW_HWNDNEXT))
        if (IsWindowVisible(p)) return e2e::text(p);
    return "";
}

HWND openDropDown() { return FindWindowA("#32768", nullptr); }

}  // namespace

E2E_CASE(the_painted_menu_bar_works_from_the_keyboard) {
    e2e::App app;
    app.send(Cmd::TrayShow);
    SetForegroundWindow(app.main());
    e2e::waitFor([&] { return GetForegroundWindow() == app.main(); }, 2000);

    // Alt, Down opens the first menu; Down, Enter chooses its second item.
    press(VK_MENU);
    press(VK_DOWN);
    const bool opened = e2e::waitFor([] { return openDropDown() && IsWindowVisible(openDropDown()); }, 3000);
    e2e::check(opened, "Alt then Down opens the first drop-down");
    press(VK_DOWN);
    e2e::waitFor([] { return false; }, 300);
    if (opened) {
        // The drop-down is painted: the gutter shades from the window colour to the button face, and the
        // highlighted item has a framed light fill rather than the system's solid highlight.
        HWND drop = openDropDown();
        RECT r;
        GetClientRect(drop, &r);
        const COLORREF solid = GetSysColor(COLOR_HIGHLIGHT);
        int solidRows = 0;  // the frame's two lines; the system's highlight would fill the item's height
        for (int y = 0; y < r.bottom; ++y) solidRows += e2e::pixel(drop, r.right / 2, y) == solid;
        e2e::check(solidRows == 2, "the highlighted item is framed in the flat style, not filled solid",
                   std::to_string(solidRows) + " rows of the highlight colour");
        e2e::screenshot(app.main(), "menu-open");
    }
    press(VK_RETURN);
    const bool timers = e2e::waitFor([&] { return shownPage(app) == "Timers"; }, 3000);
    e2e::check(timers, "Down, Enter chose Timers", shownPage(app));
    e2e::check(e2e::waitFor([] { return !openDropDown() || !IsWindowVisible(openDropDown()); }, 2000),
               "and the drop-down closed");

    // Typing an item's first letter: Alt+V opens "Vigilamp", L chooses "Lighting", the one item with that
    // letter. (Where two items share a letter the first is only selected; Wine's menus ignore that answer.)
    keybd_event(VK_MENU, 0, 0, 0);
    press('V');
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    e2e::waitFor([] { return openDropDown() && IsWindowVisible(openDropDown()); }, 3000);
    press('L');
    const bool lighting = e2e::waitFor([&] { return shownPage(app) == "Lighting"; }, 3000);
    e2e::check(lighting, "Alt+V, L chose Lighting", shownPage(app));

    // Esc closes a drop-down without choosing.
    press(VK_MENU);
    press(VK_DOWN);
    e2e::waitFor([] { return openDropDown() && IsWindowVisible(openDropDown()); }, 3000);
    press(VK_ESCAPE);
    press(VK_ESCAPE);
    e2e::check(e2e::waitFor([] { return !openDropDown() || !IsWindowVisible(openDropDown()); }, 2000) &&
                   shownPage(app) == "Lighting",
               "Esc closes it and changes nothing");
}

namespace {

// The system DPI for programs started while it lives (Wine reads it as a process starts, from the user's desktop
// settings or else the configuration's fonts key); restored after.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi)
        : values_{{HKEY_CURRENT_USER, "Control Panel\\Desktop"}, {HKEY_CURRENT_CONFIG, "Software\\Fonts"}} {
        for (Value& v : values_) {
            RegCreateKeyExA(v.root, v.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &v.key, nullptr);
            DWORD size = sizeof v.old;
            v.had = RegQueryValueExA(v.key, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&v.old), &size) == 0;
            RegSetValueExA(v.key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        }
    }
    ~SystemDpi() {
        for (Value& v : values_) {
            if (v.had)
                RegSetValueExA(v.key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.old), sizeof v.old);
            else
                RegDeleteValueA(v.key, "LogPixels");
            RegCloseKey(v.key);
        }
    }

private:
    struct Value {
        HKEY root;
        const char* path;
        HKEY key = nullptr;
        DWORD old = 96;
        bool had = false;
    };
    Value values_[2];
};

}  // namespace

E2E_CASE(the_window_keeps_its_proportions_at_125_150_and_200_percent) {
    for (int dpi : {120, 144, 192}) {
        const SystemDpi system{DWORD(dpi)};
        e2e::App app;
        app.send(Cmd::TrayShow);
        const std::string at = std::to_string(dpi * 100 / 96) + "%: ";
        RECT client;
        GetClientRect(app.main(), &client);
        e2e::check(client.right == MulDiv(686, dpi, 96) && client.bottom == MulDiv(269, dpi, 96),
                   at + "the client area scales", describe(client));
        const RECT execute = inParent(app.control(Ctl::btnExecute));
        e2e::check(execute.left == MulDiv(8, dpi, 96) && execute.top == MulDiv(156, dpi, 96) &&
                       execute.right == MulDiv(83, dpi, 96) && execute.bottom == MulDiv(181, dpi, 96),
                   at + "and so do the controls", describe(execute));
        // The text grows with it: the label sized to its text is wider than at 96 dpi by about the scale.
        const RECT title = inParent(app.control(Ctl::lblTitle));
        e2e::check(title.right - title.left > MulDiv(180, dpi, 96), at + "and the fonts", describe(title));
        e2e::waitFor([] { return false; }, 300);
        e2e::screenshot(app.main(), "dpi-" + std::to_string(dpi));
    }
}
