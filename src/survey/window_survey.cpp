#include "survey/window_survey.h"

#include "match/text.h"

#include <cstdio>
#include <utility>

namespace vr {

std::string bufferText(std::string_view reply, std::size_t limit) { return cutToChars(reply, limit); }

std::vector<TopLevelWindow> titledWindows(Windows& windows) {
    std::vector<TopLevelWindow> titled;
    for (TopLevelWindow& window : windows.topLevelWindows()) {
        window.title = bufferText(window.title, Windows::kTitleChars);
        if (!window.title.empty()) titled.push_back(std::move(window));
    }
    return titled;
}

std::string handleInformation(WindowHandle window, const std::string& className, const WindowOwner& owner,
                              const OwnerTerms& terms) {
    // A 64-bit handle beyond 32 bits keeps all its digits rather than losing the upper ones.
    const char* format = "%s: %8.8llX\r\nClass: %s\r\nProcess ID: %8.8lX\r\n%s: %8.8lX";
    const auto print = [&](char* buffer, std::size_t size) {
        return std::snprintf(buffer, size, format, terms.handle, static_cast<unsigned long long>(window),
                             className.c_str(), static_cast<unsigned long>(owner.process), terms.thread,
                             static_cast<unsigned long>(owner.thread));
    };
    std::string text(static_cast<std::size_t>(print(nullptr, 0)) + 1, '\0');
    text.resize(static_cast<std::size_t>(print(text.data(), text.size())));
    return text;
}

}  // namespace vr
