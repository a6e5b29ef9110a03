#include "settings/intervals.h"

#include <algorithm>
#include <limits>

#include "settings/profile_value.h"

namespace vr {

std::int64_t spinValue(std::string_view text, std::int32_t minimum) {
    return parseInteger(text).value_or(minimum);
}

std::string spinStep(std::string_view text, std::int32_t minimum, std::int32_t increment, bool up) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    const std::int64_t value = std::clamp(spinValue(text, minimum), lo, hi);
    return std::to_string(std::clamp(value + (up ? increment : -std::int64_t(increment)), lo, hi));
}

std::optional<std::string> rangeMessage(std::int64_t value, const Range& range) {
    const std::string acceptable = "Anything between " + std::to_string(range.minimum) + " and " +
                                   std::to_string(range.maximum) + " is acceptable.";
    if (value > range.maximum) return "This value is too high. " + acceptable;
    if (value < range.minimum) return "This value is too low. " + acceptable;
    return std::nullopt;
}

unsigned timerInterval(std::int64_t value) {
    return static_cast<unsigned>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace vr
