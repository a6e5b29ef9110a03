#include "match/match_rule.h"

namespace vr {

std::u32string folded(std::string_view utf8, CaseFold fold) {
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) out += fold(nextChar(utf8, at));
    return out;
}

RuleMatcher::RuleMatcher(const WindowRule& rule, CaseFold fold)
    : fold_(fold),
      checksClass_(!rule.className.empty()),
      checksTitle_(rule.titlePattern.has_value()),
      className_(folded(rule.className, fold)),
      pattern_(rule.titlePattern ? folded(*rule.titlePattern, fold) : std::u32string()) {}

std::string patternForTitle(std::string_view title, std::size_t maxChars) {
    std::string pattern;
    std::size_t chars = 0;
    for (std::size_t at = 0; at < title.size(); ++chars) {
        const std::size_t start = at;
        const char32_t c = nextChar(title, at);
        if (chars + 1 == maxChars && at < title.size()) return pattern + '*';  // one more would not fit
        if (c == U'\r' || c == U'\n' || c == 0) pattern += '?';
        else pattern.append(title.substr(start, at - start));
    }
    return pattern;
}

}  // namespace vr
