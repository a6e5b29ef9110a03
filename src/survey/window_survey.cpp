#include "survey/window_survey.h"

#include <cstdio>
#include <utility>

namespace vr {

std::string bufferText(std::string_view reply, std::size_t limit) {
    reply = reply.substr(0, limit);
    return std::string(reply.substr(0, reply.find('\0')));
}

std::vector<TopLevelWindow> titledWindows(Windows& windows) {
    std::vector<TopLevelWindow> titled;
    for (TopLevelWindow& window : windows.topLevelWindows()) {
        window.title = bufferText(window.title, Windows::kTitleChars);
        if (!window.title.empty()) titled.push_back(std::move(window));
    }
    return titled;
}

std::string handleInformation(WindowHandle window, const std::string& className, const WindowOwner& owner) {
    // A 64-bit handle beyond 32 bits keeps all its digits rather than losing the upper ones.
    const char* format = "HWND: %8.8llX\r\nClass: %s\r\nProcess ID: %8.8lX\r\nThread ID: %8.8lX";
    const int length = std::snprintf(nullptr, 0, format, static_cast<unsigned long long>(window),
                                     className.c_str(), static_cast<unsigned long>(owner.process),
                                     static_cast<unsigned long>(owner.thread));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, static_cast<unsigned long long>(window), className.c_str(),
                  static_cast<unsigned long>(owner.process), static_cast<unsigned long>(owner.thread));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace vr
