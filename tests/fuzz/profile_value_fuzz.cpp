// Arbitrary text through the settings-value conversions: no crash, no undefined behaviour, and the results
// agree with each other.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/profile_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = vr::parseInteger(text);
    const std::int32_t asInt = vr::integerOr(text, -7);
    const bool asBool = vr::booleanOr(text, true);

    const bool fits = parsed && *parsed >= INT32_MIN && *parsed <= INT32_MAX;
    if (fits ? asInt != *parsed : asInt != -7) std::abort();  // the 32-bit reading is the integer or the fallback
    if (parsed ? asBool != (*parsed != 0) : !asBool) std::abort();
    // A number read back from its decimal spelling is the same number.
    if (parsed && *parsed > INT64_MIN && *parsed < INT64_MAX && vr::parseInteger(std::to_string(*parsed)) != parsed)
        std::abort();
    return 0;
}
