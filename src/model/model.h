// The main window's state: every control's check, text and enabled state, the list items, the page shown and
// the status lights. The core reads and changes the model; the view only shows it and hands the user's own
// changes back. So a tick reads memory, never a window, and either front end shows the same state.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "model/ids.h"
#include "model/layout.h"
#include "model/led.h"
#include "model/view.h"

namespace vr {

class Model {
public:
    // The design-time state of the layout tables, with the captions that platform shows.
    explicit Model(Platform platform = Platform::windows);
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // From now on the view shows every change; the status lights redraw through it as well.
    void attach(View& view);

    bool checked(Ctl control) const { return at(control).checked; }
    const std::string& text(Ctl control) const { return at(control).text; }
    bool enabled(Ctl control) const { return at(control).enabled; }
    Page page() const { return page_; }
    const std::vector<ListItem>& items(Ctl list) const { return at(list).items; }
    int selected(Ctl list) const { return at(list).selected; }  // -1: none
    // Where the keyboard's focus goes when a page shows: its first control in tab order that takes the focus
    // (a button, a box, an edit or a list, enabled); none when it has no such control.
    Ctl firstFocusable(Page page) const;
    Led& led(Ctl light);

    // Changes made by the program: each is shown when it changes something.
    void setChecked(Ctl control, bool on);
    void setText(Ctl control, const std::string& text);
    void setEnabled(Ctl control, bool on);
    void setPage(Page page);
    void clearItems(Ctl list);
    void addItem(Ctl list, const ListItem& item);  // the view's refusal leaves the item out and throws

    // Changes the user made in the view, which already shows them.
    void userChecked(Ctl control, bool on) { at(control).checked = on; }
    void userText(Ctl control, const std::string& text) { at(control).text = text; }
    void userSelected(Ctl list, int index) { at(list).selected = index; }

private:
    struct Control {
        bool checked = false, enabled = true;
        std::string text;
        std::vector<ListItem> items;
        int selected = -1;
    };
    Control& at(Ctl control);
    const Control& at(Ctl control) const;

    std::map<Ctl, Control> controls_;
    std::map<Ctl, Led> leds_;
    Page page_ = Page::Status;
    View* view_ = nullptr;
};

}  // namespace vr
