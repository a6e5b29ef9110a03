// The conversions of settings-file values and spin-edit texts: integers with leading blanks, an optional sign,
// decimal digits or hexadecimal ones after "$", "x", "X" (or "0x", "0X"); booleans as integers, non-zero true.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vr {

// The number the text spells, or nothing when it is no integer. Values beyond 64 bits saturate, so callers can
// still tell "too high" from "too low".
std::optional<std::int64_t> parseInteger(std::string_view text);

// The text as a signed 32-bit integer, or the fallback when it is none or out of that range.
std::int32_t integerOr(std::string_view text, std::int32_t fallback);

// The text as a boolean: an integer, non-zero true; anything else the fallback.
bool booleanOr(std::string_view text, bool fallback);

inline std::string booleanText(bool on) { return on ? "1" : "0"; }

}  // namespace vr
