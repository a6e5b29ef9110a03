#include "match/text.h"

namespace vr {

char32_t nextChar(std::string_view s, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned lead = byte(at);
    if (lead < 0x80) return ++at, lead;
    const int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (extra < 0) return ++at, kReplacement;
    char32_t c = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        if (at + i >= s.size() || (byte(at + i) & 0xC0) != 0x80) return ++at, kReplacement;
        c = c << 6 | (byte(at + i) & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return ++at, kReplacement;
    at += static_cast<std::size_t>(extra) + 1;
    return c;
}

char32_t nextChar(std::u16string_view s, std::size_t& at) {
    const char16_t unit = s[at++];
    if (unit < 0xD800 || unit >= 0xE000) return unit;
    if (unit >= 0xDC00 || at == s.size() || s[at] < 0xDC00 || s[at] >= 0xE000) return kReplacement;
    return 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (s[at++] - 0xDC00);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c >= 0xD800 && (c < 0xE000 || c > 0x10FFFF)) c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string toUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t at = 0; at < utf16.size();) appendUtf8(out, nextChar(utf16, at));
    return out;
}

std::u16string toUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = nextChar(utf8, at);
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::size_t charCount(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t at = 0; at < utf8.size(); ++n) nextChar(utf8, at);
    return n;
}

std::string cutToChars(std::string_view utf8, std::size_t maxChars) {
    utf8 = utf8.substr(0, utf8.find('\0'));
    std::size_t at = 0;
    for (std::size_t n = 0; n < maxChars && at < utf8.size(); ++n) nextChar(utf8, at);
    return std::string(utf8.substr(0, at));
}

}  // namespace vr
