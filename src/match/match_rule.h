// The rule a window must fit to raise the alert: its class and, when the title pattern is on, its title.
// Patterns compare characters, not bytes, with letter case folded the way the platform folds it.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "match/text.h"

namespace vr {

struct WindowRule {
    std::string className;                    // the class a window must have; "" is any
    std::optional<std::string> titlePattern;  // nothing: the title does not count

    // Neither a class nor a pattern: the rule names no window, so a scan finds none, while any window that
    // asks for attention fits it ("alert me when any window flashes").
    bool empty() const { return className.empty() && !titlePattern; }
};

// Whether a text fits a pattern, both folded already: '*' stands for any run of characters (none included),
// '?' for exactly one, every other character for itself. An empty pattern fits only an empty text. Greedy with
// one point to come back to, so never worse than pattern times text, whatever the input.
template <class Text>
bool fitsFolded(std::u32string_view pattern, Text text, CaseFold fold) {
    std::size_t p = 0, t = 0;
    std::size_t star = std::u32string_view::npos, resume = 0;
    while (t < text.size()) {
        std::size_t next = t;
        const char32_t c = fold(nextChar(text, next));
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == c)) {
            ++p;
            t = next;
        } else if (star != std::u32string_view::npos) {
            p = star + 1;
            nextChar(text, resume);
            t = resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}

// A text's characters, each folded.
std::u32string folded(std::string_view utf8, CaseFold fold);

// The rule made ready to be tried on many windows: its class and its pattern folded once. Titles and classes
// come as UTF-8 or, from a system that keeps them so, UTF-16.
class RuleMatcher {
public:
    RuleMatcher(const WindowRule& rule, CaseFold fold);

    bool checksClass() const { return checksClass_; }
    bool checksTitle() const { return checksTitle_; }
    // Class names are compared as the systems do, without regard to letter case.
    template <class Text>
    bool fitsClass(Text windowClass) const {
        if (!checksClass_) return true;
        std::size_t at = 0, i = 0;
        while (at < windowClass.size()) {
            if (i == className_.size() || fold_(nextChar(windowClass, at)) != className_[i]) return false;
            ++i;
        }
        return i == className_.size();
    }
    template <class Text>
    bool fitsTitle(Text title) const {
        return !checksTitle_ || fitsFolded(pattern_, title, fold_);
    }
    bool fits(std::string_view windowClass, std::string_view title) const {
        return fitsClass(windowClass) && fitsTitle(title);
    }

private:
    CaseFold fold_;
    bool checksClass_, checksTitle_;
    std::u32string className_, pattern_;
};

// The pattern that fits a window by its whole title: line breaks (which no settings value can hold) become '?',
// and a title longer than maxChars keeps what fits before a closing '*'.
std::string patternForTitle(std::string_view title, std::size_t maxChars);

}  // namespace vr
