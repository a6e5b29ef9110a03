// End-to-end cases of what the user reads: every caption of the main window, its menu bar and the tray menu
// against captions.txt, a list written by hand; and the painted menu bar's items still named for screen readers.
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "e2e.h"
#include "menu_probe.h"

namespace {

// captions.txt, as the build places it beside the driver.
struct Captions {
    std::string title;
    std::map<std::string, std::map<int, std::string>> pages;  // page name: control id to caption
    std::vector<std::string> menuBar, trayMenu;                // "    " before an item of a drop-down
};

Captions readCaptions() {
    Captions list;
    const std::string file = e2e::fileText(e2e::here() + "\\captions.txt");
    std::string section;
    for (std::size_t at = 0; at < file.size();) {
        std::size_t end = file.find('\n', at);
        if (end == std::string::npos) end = file.size();
        std::string line = file.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        if (section == "window") list.title = line;
        else if (section == "menu bar") list.menuBar.push_back(line);
        else if (section == "tray menu") list.trayMenu.push_back(line);
        else if (section.rfind("page ", 0) == 0) {
            const std::size_t space = line.find(' ');
            list.pages[section.substr(5)][std::stoi(line.substr(0, space))] =
                space == std::string::npos ? "" : line.substr(space + 1);
        }
    }
    return list;
}

BOOL CALLBACK collectCaption(HWND control, LPARAM param) {
    // The arrows inside a spin edit have no id of their own: they belong to the edit.
    if (const int id = GetDlgCtrlID(control))
        (*reinterpret_cast<std::map<int, std::string>*>(param))[id] = e2e::text(control);
    return TRUE;
}

// Where two captions lists part: the first control missing, extra or with another caption.
std::string firstDifference(const std::map<int, std::string>& seen, const std::map<int, std::string>& listed) {
    for (const auto& [id, caption] : listed) {
        const auto it = seen.find(id);
        if (it == seen.end()) return std::to_string(id) + " is not on the page";
        if (it->second != caption) return std::to_string(id) + " reads \"" + it->second + "\"";
    }
    for (const auto& [id, caption] : seen)
        if (!listed.count(id)) return std::to_string(id) + " \"" + caption + "\" is not in the list";
    return "";
}

std::string firstDifference(const std::vector<std::string>& seen, const std::vector<std::string>& listed) {
    for (std::size_t i = 0; i < std::max(seen.size(), listed.size()); ++i) {
        const std::string a = i < seen.size() ? seen[i] : "<nothing>", b = i < listed.size() ? listed[i] : "<nothing>";
        if (a != b) return "item " + std::to_string(i + 1) + " reads \"" + a + "\", listed \"" + b + "\"";
    }
    return "";
}

// One item of the probe's report (see menu_probe.cpp).
struct MenuItem {
    int depth;
    std::string kind, text, ownerDrawn, name;
    std::string asListed() const { return std::string(4 * depth, ' ') + (kind == "separator" ? "-" : text); }
};

std::vector<MenuItem> parseReport(const std::string& report) {
    std::vector<MenuItem> items;
    for (std::size_t at = 0; at < report.size();) {
        std::size_t end = report.find('\n', at);
        if (end == std::string::npos) end = report.size();
        std::vector<std::string> field;
        for (std::size_t f = at; f <= end;) {
            const std::size_t tab = std::min(report.find('\t', f), end);
            field.push_back(report.substr(f, tab - f));
            f = tab + 1;
        }
        at = end + 1;
        if (field.size() == 5) items.push_back({std::stoi(field[0]), field[1], field[2], field[3], field[4]});
    }
    return items;
}

std::vector<std::string> asListed(const std::vector<MenuItem>& items) {
    std::vector<std::string> lines;
    for (const MenuItem& item : items) lines.push_back(item.asListed());
    return lines;
}

}  // namespace

E2E_CASE(captions_of_the_window_and_its_pages_match_the_list_written_by_hand) {
    const Captions list = readCaptions();
    e2e::check(!list.title.empty() && list.pages.size() == std::size(vr::kPageNames) && !list.menuBar.empty() && !list.trayMenu.empty(),
               "captions.txt lies beside the driver with its four kinds of sections");
    e2e::App app;
    e2e::check(e2e::text(app.main()) == list.title, "the window's title", e2e::text(app.main()));
    int pages = 0;
    for (HWND page = GetWindow(app.control(vr::Ctl::nteItems), GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
        ++pages;
        const std::string name = e2e::text(page);
        const auto listed = list.pages.find(name);
        std::map<int, std::string> seen;
        EnumChildWindows(page, collectCaption, reinterpret_cast<LPARAM>(&seen));
        const std::string diff =
            listed == list.pages.end() ? "no such page in the list" : firstDifference(seen, listed->second);
        e2e::check(diff.empty(), "page " + name + ": its " + std::to_string(seen.size()) + " controls as listed",
                   diff);
    }
    e2e::check(pages == int(list.pages.size()), "as many pages as listed", std::to_string(pages));
}

E2E_CASE(captions_of_the_menu_bar_and_tray_menu_match_the_list_and_painted_items_are_named) {
    const Captions list = readCaptions();
    e2e::App app;

    // The bar, read where Wine lets a menu be read: inside the program, as an accessibility client does.
    const std::string report = e2e::probe(app, app.main(), e2e::kProbeMenuBar);
    const std::vector<MenuItem> bar = parseReport(report);
    e2e::check(asListed(bar) == list.menuBar, "the menu bar's strings (GetMenuStringA) are the listed ones",
               firstDifference(asListed(bar), list.menuBar));
    int painted = 0, named = 0;
    std::string unnamed;
    for (const MenuItem& item : bar) {
        painted += item.ownerDrawn == "1";
        if (item.kind == "separator") continue;
        if (item.name == item.text && !item.text.empty()) ++named;
        else if (unnamed.empty()) unnamed = item.text + " is named \"" + item.name + "\"";
    }
    e2e::check(!bar.empty() && painted == int(bar.size()), "every item of the bar and its drop-downs is painted",
               bar.empty() ? report : std::to_string(painted) + " of " + std::to_string(bar.size()));
    e2e::check(unnamed.empty() && named == int(bar.size()) - 1,
               "and each but the separator names itself in the MSAAMENUINFO its data starts with", unnamed);

    // From another process, where the system allows it (Windows does; Wine keeps a menu in its own process).
    HMENU outside = GetMenu(app.main());
    if (GetMenuItemCount(outside) < 0) {
        std::printf("  note: this system does not let another process read the menu bar; read from inside only\n");
    } else {
        std::vector<std::string> read;
        const auto collect = [&](auto&& self, HMENU menu, int depth) -> void {
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                char text[256] = "";
                const UINT state = GetMenuState(menu, UINT(i), MF_BYPOSITION);
                GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
                read.push_back(std::string(4 * depth, ' ') + ((state & MF_SEPARATOR) ? "-" : text));
                if (HMENU sub = GetSubMenu(menu, i)) self(self, sub, depth + 1);
            }
        };
        collect(collect, outside, 0);
        e2e::check(read == list.menuBar, "and read from outside alike", firstDifference(read, list.menuBar));
    }

    // The tray menu, read while it is open.
    HWND tray = app.findOwn("TrmTrayIcon");
    PostMessageA(tray, WM_USER + 1, 1, WM_RBUTTONUP);
    HWND popUp = nullptr;
    e2e::waitFor([&] { return (popUp = app.findOwn("#32768")) && IsWindowVisible(popUp); }, 3000);
    e2e::check(popUp != nullptr, "a right click on the icon opens the tray menu");
    if (!popUp) return;
    const std::string trayReport = e2e::probe(app, tray, e2e::kProbeOpenPopUp);
    const std::vector<MenuItem> trayMenu = parseReport(trayReport);
    e2e::check(asListed(trayMenu) == list.trayMenu, "the tray menu's strings are the listed ones",
               trayMenu.empty() ? trayReport : firstDifference(asListed(trayMenu), list.trayMenu));
    PostMessageA(popUp, WM_KEYDOWN, VK_ESCAPE, 1);
    e2e::check(e2e::waitFor([&] { return !IsWindowVisible(popUp); }, 3000), "and Escape closes it");
}
