#include "match/match_rule.h"

#include <algorithm>
#include <cctype>

namespace vr {

namespace {

bool sameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

bool fitsPattern(std::string_view pattern, std::string_view text) {
    // Greedy matching with one point to come back to: the last '*' and where its run ends so far. Linear in
    // practice and never worse than pattern times text, whatever the input.
    std::size_t p = 0, t = 0;
    std::size_t star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool WindowRule::fitsClass(std::string_view windowClass) const {
    return className.empty() ||
           std::equal(className.begin(), className.end(), windowClass.begin(), windowClass.end(), sameLetter);
}

}  // namespace vr
