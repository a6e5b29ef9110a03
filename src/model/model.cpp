#include "model/model.h"

#include <stdexcept>

#include "model/layout.h"

namespace vr {

Model::Model(Platform platform) {
    for (const PageTable& table : pageTables())
        for (const ControlRow& row : table.rows) {
            controls_[row.id] = {(row.flags & Checked) != 0, (row.flags & Disabled) == 0, captionOf(row, platform),
                                 {}, -1};
            if (row.kind == Kind::Led) leds_[row.id];
        }
}

Ctl Model::firstFocusable(Page page) const {
    for (const PageTable& table : pageTables()) {
        if (table.page != page) continue;
        // Group boxes come before their controls in the table: the tab order is the table's, depth first.
        const auto focusable = [&](const ControlRow& row) {
            switch (row.kind) {
            case Kind::Button: case Kind::Check: case Kind::Edit: case Kind::Spin: case Kind::List: return true;
            case Kind::Radio: return (row.flags & TabStop) != 0 || checked(row.id);
            default: return false;
            }
        };
        const auto walk = [&](auto&& self, Ctl parent) -> Ctl {
            for (const ControlRow& row : table.rows) {
                if (row.parent != parent) continue;
                if (row.kind == Kind::Group) {
                    if (const Ctl inside = self(self, row.id); inside != Ctl::none) return inside;
                } else if (focusable(row) && enabled(row.id)) {
                    return row.id;
                }
            }
            return Ctl::none;
        };
        return walk(walk, Ctl::none);
    }
    return Ctl::none;
}

void Model::attach(View& view) { view_ = &view; }

Model::Control& Model::at(Ctl control) {
    const auto it = controls_.find(control);
    if (it == controls_.end()) throw std::logic_error("no control " + std::to_string(static_cast<int>(control)));
    return it->second;
}

const Model::Control& Model::at(Ctl control) const { return const_cast<Model*>(this)->at(control); }

Led& Model::led(Ctl light) { return leds_.at(light); }

void Model::setChecked(Ctl control, bool on) {
    Control& c = at(control);
    if (c.checked == on) return;
    c.checked = on;
    if (view_) view_->showChecked(control, on);
}

void Model::setText(Ctl control, const std::string& text) {
    Control& c = at(control);
    if (c.text == text) return;
    c.text = text;
    if (view_) view_->showText(control, text);
}

void Model::setEnabled(Ctl control, bool on) {
    Control& c = at(control);
    if (c.enabled == on) return;
    c.enabled = on;
    if (view_) view_->showEnabled(control, on);
}

void Model::setPage(Page page) {
    if (page_ == page) return;
    page_ = page;
    if (view_) view_->showPage(page);
}

void Model::clearItems(Ctl list) {
    Control& c = at(list);
    c.items.clear();
    c.selected = -1;
    if (view_) view_->showItemsCleared(list);
}

void Model::addItem(Ctl list, const ListItem& item) {
    Control& c = at(list);
    if (view_) view_->showItemAdded(list, item);
    c.items.push_back(item);
}

}  // namespace vr
