#include "settings/profile_value.h"

#include <limits>

namespace vr {

namespace {

int digitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

}  // namespace

std::optional<std::int64_t> parseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (text.substr(i, 2) == "0x" || text.substr(i, 2) == "0X") {
        base = 16;
        i += 2;
    } else if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    constexpr std::uint64_t kLimit = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0) return std::nullopt;
        magnitude = magnitude > (kLimit - d) / base ? kLimit : magnitude * base + d;
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

namespace {

std::optional<std::int32_t> int32Of(std::string_view text) {
    const auto v = parseInteger(text);
    if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

}  // namespace

std::int32_t integerOr(std::string_view text, std::int32_t fallback) { return int32Of(text).value_or(fallback); }

bool booleanOr(std::string_view text, bool fallback) {
    const auto v = int32Of(text);
    return v ? *v != 0 : fallback;
}

}  // namespace vr
