#include "linux/wayland/window_source.h"

#include "linux/adapters/case_fold.h"
#include "match/text.h"

#include <cstdlib>

namespace vr::wl {

namespace {

bool fitsToplevel(const Toplevel& toplevel, const RuleMatcher& rule) {
    if (rule.checksClass() && !rule.fitsClass(std::string_view(toplevel.appId)) &&
        (toplevel.className.empty() || !rule.fitsClass(std::string_view(toplevel.className))))
        return false;
    return !rule.checksTitle() || rule.fitsTitle(std::string_view(cutToChars(toplevel.title, Windows::kRuleTitleChars)));
}

}  // namespace

WindowHandle WindowSource::find(const WindowRule& rule) {
    if (rule.empty()) return 0;
    const RuleMatcher matcher(rule, lx::foldCase);
    for (const WindowHandle window : table_.listed())
        if (fitsToplevel(*table_.get(window), matcher)) return window;
    return 0;
}

bool WindowSource::fits(WindowHandle window, const WindowRule& rule) {
    const Toplevel* toplevel = table_.get(window);
    return toplevel && fitsToplevel(*toplevel, RuleMatcher(rule, lx::foldCase));
}

std::vector<TopLevelWindow> WindowSource::topLevelWindows() {
    std::vector<TopLevelWindow> windows;
    for (const WindowHandle window : table_.listed())
        windows.push_back({window, cutToChars(table_.get(window)->title, kTitleChars)});
    return windows;
}

std::optional<std::string> WindowSource::classOf(WindowHandle window) {
    const Toplevel* toplevel = table_.get(window);
    if (!toplevel) return std::nullopt;
    return cutToChars(toplevel->appId.empty() ? toplevel->className : toplevel->appId, kClassChars);
}

std::optional<WindowOwner> WindowSource::ownerOf(WindowHandle window) {
    const Toplevel* toplevel = table_.get(window);
    if (!toplevel) return std::nullopt;
    return WindowOwner{toplevel->pid, 0};
}

std::optional<std::string> WindowSource::titleOf(WindowHandle window) {
    const Toplevel* toplevel = table_.get(window);
    if (!toplevel) return std::nullopt;
    return cutToChars(toplevel->title, kRuleTitleChars);
}

std::optional<Toplevel> WindowSource::toplevel(WindowHandle window) const {
    const Toplevel* toplevel = table_.get(window);
    if (!toplevel) return std::nullopt;
    return *toplevel;
}

std::optional<std::string> WindowSource::attentionUnavailable() {
    if (status().attention == Ability::yes) return std::nullopt;
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return std::string(desktop && *desktop ? desktop : "this desktop") +
           " does not tell which of its windows ask for attention.";
}

void WindowSource::listen(bool changes, bool attention) {
    changes_ = changes;
    attention_ = attention;
}

void WindowSource::commit(WindowHandle window, const Toplevel& now) {
    const auto changes = table_.commit(window, now);
    if (changes_ && (changes.appeared || changes.renamed) && onWindow) onWindow(window);
    if (attention_ && changes.beganAsking && onAttention) onAttention(window);
}

}  // namespace vr::wl
