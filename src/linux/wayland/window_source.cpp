#include "linux/wayland/window_source.h"

namespace vr::wl {

namespace {

bool fitsToplevel(const Toplevel& toplevel, const WindowRule& rule) {
    if (!rule.className.empty() && !rule.fitsClass(toplevel.appId) &&
        (toplevel.className.empty() || !rule.fitsClass(toplevel.className)))
        return false;
    return rule.fitsTitle(cutToUtf8Chars(toplevel.title, WindowSource::kRuleTitleChars));
}

}  // namespace

WindowHandle WindowSource::find(const WindowRule& rule) {
    for (const WindowHandle window : table_.listed())
        if (fitsToplevel(*table_.get(window), rule)) return window;
    return 0;
}

bool WindowSource::fits(WindowHandle window, const WindowRule& rule) {
    const Toplevel* toplevel = table_.get(window);
    return toplevel && fitsToplevel(*toplevel, rule);
}

std::vector<TopLevelWindow> WindowSource::topLevelWindows() {
    std::vector<TopLevelWindow> windows;
    for (const WindowHandle window : table_.listed())
        windows.push_back({window, cutToBytes(table_.get(window)->title, kTitleChars)});
    return windows;
}

std::optional<std::string> WindowSource::classOf(WindowHandle window) {
    const Toplevel* toplevel = table_.get(window);
    if (!toplevel) return std::nullopt;
    return cutToUtf8Chars(toplevel->appId.empty() ? toplevel->className : toplevel->appId, kClassChars);
}

std::optional<WindowOwner> WindowSource::ownerOf(WindowHandle window) {
    const Toplevel* toplevel = table_.get(window);
    if (!toplevel) return std::nullopt;
    return WindowOwner{toplevel->pid, 0};
}

std::optional<std::string> WindowSource::titleOf(WindowHandle window) {
    const Toplevel* toplevel = table_.get(window);
    if (!toplevel) return std::nullopt;
    return cutToUtf8Chars(toplevel->title, kRuleTitleChars);
}

std::optional<Toplevel> WindowSource::toplevel(WindowHandle window) const {
    const Toplevel* toplevel = table_.get(window);
    if (!toplevel) return std::nullopt;
    return *toplevel;
}

std::optional<std::string> WindowSource::attentionUnavailable() {
    if (status().attention == Ability::yes) return std::nullopt;
    return "The desktop does not tell which of its windows ask for attention.";
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
