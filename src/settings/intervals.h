// The three interval settings: their spin edits, ranges, timers and keys, and the range check of their Set
// buttons.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/control_ids.h"

namespace vr {

struct IntervalSetting {
    Ctl spin;
    Ctl setButton;
    std::int32_t minimum, maximum, increment, design;
    TimerId timer;
    const char* section;
    const char* key;
};

inline constexpr IntervalSetting kIntervals[] = {
    {Ctl::spnDelay, Ctl::btnInitSet, 1000, 60000, 1000, 10000, TimerId::tmrDelay, "Timers", "DelayValue"},
    {Ctl::spnScan, Ctl::btnScanSet, 1000, 60000, 1000, 1000, TimerId::tmrSearch, "Timers", "ScanInterval"},
    {Ctl::spnFlashing, Ctl::btnFlashSet, 1000, 10000, 1000, 1000, TimerId::tmrFlash, "Lighting",
     "LightingInterval"},
};

// A spin edit's value: its text as an integer, or its minimum when the text is none.
std::int64_t spinValue(std::string_view text, std::int32_t minimum);

// A spin edit's text after an arrow step: the value plus or minus the increment, held at the 32-bit bounds.
std::string spinStep(std::string_view text, std::int32_t minimum, std::int32_t increment, bool up);

// The message of the Set button's check, or nothing when the value is in range.
std::optional<std::string> rangeMessage(std::int64_t value, const IntervalSetting& setting);

// A value as a timer interval: negative ones never tick, huge ones are held at the platform's longest.
unsigned timerInterval(std::int64_t value);

}  // namespace vr
