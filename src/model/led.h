// Led: an LED indicator's state. The widget that draws it is told to redraw only when what it shows
// changes: setting Active to its present value redraws nothing.
#pragma once
#include <functional>

#include "model/texts.h"

namespace vr {

class Led {
public:
    struct Palette {
        Color Low = 0x000080;   // unlit: maroon until the owner sets its own
        Color High = 0x0000FF;  // lit: red
    };

    std::function<void()> redraw;  // the drawing widget's hook

    bool Active() const { return active_; }
    const Palette& palette() const { return palette_; }
    Color face() const { return active_ ? palette_.High : palette_.Low; }

    void setActive(bool on) {
        if (on == active_) return;
        active_ = on;
        changed();
    }
    void setLow(Color c) {
        palette_.Low = c;
        changed();
    }
    void setHigh(Color c) {
        palette_.High = c;
        changed();
    }

private:
    void changed() {
        if (redraw) redraw();
    }
    bool active_ = false;
    Palette palette_;
};

}  // namespace vr
