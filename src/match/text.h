// The program's texts as characters. Every text the core holds is UTF-8, on both front ends; a front end whose
// system speaks UTF-16 hands titles over as they are, and the matcher reads either form character by character.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vr {

// Folds a character's letter case the way the platform does when it compares text without regard to case.
using CaseFold = char32_t (*)(char32_t);

inline constexpr char32_t kReplacement = 0xFFFD;

// The character (a Unicode code point) that starts at `at`, which moves past it. An ill-formed sequence reads
// as one U+FFFD per unit, so it never swallows what follows it.
char32_t nextChar(std::string_view utf8, std::size_t& at);
char32_t nextChar(std::u16string_view utf16, std::size_t& at);

void appendUtf8(std::string& out, char32_t c);
std::string toUtf8(std::u16string_view utf16);
std::u16string toUtf16(std::string_view utf8);

std::size_t charCount(std::string_view utf8);
// At most that many characters, never cut inside one, and nothing from a NUL on (as a C buffer holds it).
std::string cutToChars(std::string_view utf8, std::size_t maxChars);

}  // namespace vr
