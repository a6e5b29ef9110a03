// The menus as both front ends build them: the menu bar and the tray icon's pop-up menu, each item with its
// caption, its access key marked by '&', and its command.
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ids.h"

namespace vr {

struct MenuItem {
    std::string caption;  // with its access key marked by '&'; empty for a separator
    Cmd command{};
    bool isDefault = false;  // the item a double click on the tray icon also runs, drawn in bold
    bool separator() const { return caption.empty(); }
};

struct Menu {
    std::string caption;  // on the bar, with its access key
    std::vector<MenuItem> items;
};

std::vector<Menu> menuBar();
std::vector<MenuItem> trayMenu();

// The captions with their access keys, for a keyboard user: each its first letter that no earlier caption has
// taken, letter case aside, so no two share a key; a caption whose letters are all taken gets none. Empty
// captions (separators) stay empty.
std::vector<std::string> withAccessKeys(std::span<const std::string_view> captions);

// A caption as a person reads it, the access key's mark taken off.
std::string plainCaption(std::string_view caption);

}  // namespace vr
