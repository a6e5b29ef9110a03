// The main window as the core sees it, and the items of its list.
#pragma once
#include <cstdint>
#include <string>

#include "model/ids.h"

namespace vr {

using WindowHandle = std::uintptr_t;  // an opaque top-level window handle; 0 is "none"

// A list box item: its text and the window it stands for.
struct ListItem {
    std::string text;
    WindowHandle data = 0;
    bool operator==(const ListItem&) const = default;
};

// The main window as the core sees it: it shows what the model holds (model/model.h tells it of every change)
// and gives the user's own changes back to the model; it never runs a handler by itself.
class View {
public:
    virtual ~View() = default;
    virtual void showChecked(Ctl control, bool on) = 0;
    virtual void showText(Ctl control, const std::string& text) = 0;  // an edit's text, a label's caption
    virtual void showEnabled(Ctl control, bool on) = 0;
    virtual void showItemsCleared(Ctl list) = 0;
    virtual void showItemAdded(Ctl list, const ListItem& item) = 0;  // throws Error when the list is full
    virtual void showPage(Page page) = 0;  // focus follows into the page when it was in the notebook
    virtual void showMain() = 0;           // hide, show and bring to the front
    virtual void hideMain() = 0;
    virtual void showAbout() = 0;          // the one About window, shown where it was left and brought to the front
    virtual void terminate() = 0;          // ends the message loop after the current message
    virtual WindowHandle window() = 0;     // the main window itself, as owner of what the program opens
};

}  // namespace vr
