#include "model/menus.h"

#include <cctype>
#include <iterator>

namespace vr {

namespace {

struct Row {
    int depth;         // 0: a menu of the bar, 1: an item of the last menu
    const char* text;  // nullptr: a separator
    Cmd command;
};

constexpr Row kMenuBar[] = {
    {0, "Vigilamp", Cmd{}},
    {1, "Vigilamp", Cmd::ShowStatusPage},
    {1, "Timers", Cmd::ShowTimersPage},
    {1, "Lighting", Cmd::ShowLightingPage},
    {1, "Actions", Cmd::ShowActionsPage},
    {1, "Advanced", Cmd::ShowAdvancedPage},
    {1, "Match", Cmd::ShowMatchPage},
    {1, nullptr, Cmd{}},
    {1, "Hide", Cmd::Hide},
    {1, "Exit", Cmd::Exit},
    {0, "Status", Cmd{}},
    {1, "Execute", Cmd::Execute},
    {1, "Disable", Cmd::Disable},
    {1, "Reset", Cmd::Reset},
    {0, "Help", Cmd{}},
    {1, "Vigilamp Documentation", Cmd::OpenManual},
    {1, "About", Cmd::About},
};

constexpr Row kTrayMenu[] = {
    {1, "Show Vigilamp Rizu!", Cmd::TrayShow},
    {1, nullptr, Cmd{}},
    {1, "Execute", Cmd::TrayExecute},
    {1, "Reset", Cmd::TrayReset},
    {1, "Disable", Cmd::TrayDisable},
    {1, nullptr, Cmd{}},
    {1, "Exit", Cmd::TrayExit},
};

std::vector<MenuItem> itemsOf(std::span<const Row> rows) {
    std::vector<std::string_view> captions;
    for (const Row& row : rows) captions.push_back(row.text ? row.text : "");
    const auto keyed = withAccessKeys(captions);
    std::vector<MenuItem> items;
    for (std::size_t i = 0; i < rows.size(); ++i) items.push_back({keyed[i], rows[i].command, false});
    return items;
}

}  // namespace

std::vector<std::string> withAccessKeys(std::span<const std::string_view> captions) {
    std::string taken;
    std::vector<std::string> keyed;
    for (const std::string_view caption : captions) {
        std::string item(caption);
        for (std::size_t i = 0; i < item.size(); ++i) {
            const auto c = static_cast<unsigned char>(item[i]);
            if (!std::isalpha(c) || taken.find(char(std::tolower(c))) != std::string::npos) continue;
            taken += char(std::tolower(c));
            item.insert(item.begin() + static_cast<std::ptrdiff_t>(i), '&');
            break;
        }
        keyed.push_back(std::move(item));
    }
    return keyed;
}

std::string plainCaption(std::string_view caption) {
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // "&&" is an ampersand of its own
        plain += caption[i];
    }
    return plain;
}

std::vector<Menu> menuBar() {
    std::vector<Menu> bar;
    std::vector<std::string_view> titles;
    const std::span<const Row> rows = kMenuBar;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i + 1;
        while (end < rows.size() && rows[end].depth == 1) ++end;
        titles.push_back(rows[i].text);
        bar.push_back({"", itemsOf(rows.subspan(i + 1, end - i - 1))});
        i = end;
    }
    const auto keyed = withAccessKeys(titles);
    for (std::size_t m = 0; m < bar.size(); ++m) bar[m].caption = keyed[m];
    return bar;
}

std::vector<MenuItem> trayMenu() {
    auto items = itemsOf(kTrayMenu);
    items.front().isDefault = true;  // "Show Vigilamp Rizu!"
    return items;
}

}  // namespace vr
