// The rule a window must fit to raise the alert: its class and, when the title pattern is on, its title.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vr {

// Whether a text fits a pattern: '*' stands for any run of characters (none included), '?' for exactly one,
// every other character for itself, letter case ignored. An empty pattern fits only an empty text.
bool fitsPattern(std::string_view pattern, std::string_view text);

struct WindowRule {
    std::string className;                    // the class a window must have; "" is any
    std::optional<std::string> titlePattern;  // nothing: the title does not count

    // Whether a window of that class and title fits. Class names are compared as the system does, without
    // regard to letter case. (The scan without a title pattern leaves the class to the platform's own lookup,
    // which is what an empty class means there.)
    bool fits(std::string_view windowClass, std::string_view title) const {
        return fitsClass(windowClass) && fitsTitle(title);
    }
    bool fitsClass(std::string_view windowClass) const;
    bool fitsTitle(std::string_view title) const { return !titlePattern || fitsPattern(*titlePattern, title); }
};

}  // namespace vr
