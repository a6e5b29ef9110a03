// The keyboards' lamps as the kernel's LED class lists them (/sys/class/leds): one device per lamp per
// keyboard, named input<N>::capslock, ::numlock or ::scrolllock, so a machine with two keyboards has two of each.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "model/ids.h"

namespace vr::lx {

struct KeyboardLed {
    std::string name;  // the device's name in the folder, "input3::capslock"
    LockKey lamp;
    unsigned maxBrightness = 1;  // lit is this much
    bool operator==(const KeyboardLed&) const = default;
};

// The Caps, Num and Scroll Lock devices in the folder, in name order; none when it cannot be read.
std::vector<KeyboardLed> keyboardLeds(const std::string& folder);

// The device's brightness now; nothing when the folder does not tell.
std::optional<unsigned> ledBrightness(const std::string& folder, const std::string& name);

}  // namespace vr::lx
