// The rules of the three interval settings' spin edits: their value, an arrow step, and the range check of
// their Set buttons (the ranges are in the settings table).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/settings.h"

namespace vr {

// A spin edit's value: its text as an integer, or its minimum when the text is none.
std::int64_t spinValue(std::string_view text, std::int32_t minimum);

// A spin edit's text after an arrow step: the value plus or minus the increment, held at the 32-bit bounds.
std::string spinStep(std::string_view text, std::int32_t minimum, std::int32_t increment, bool up);

// The message of the Set button's check, or nothing when the value is in range.
std::optional<std::string> rangeMessage(std::int64_t value, const Range& range);

// A value as a timer interval: negative ones never tick, huge ones are held at the platform's longest.
unsigned timerInterval(std::int64_t value);

}  // namespace vr
