// The program's own texts that more than one part of it shows, and the colours of the status lights: said once
// here, shown the same by both front ends.
#pragma once
#include <cstdint>
#include <string>

namespace vr {

inline constexpr const char* kTitle = "Vigilamp Rizu!";
inline constexpr const char* kDefaultClass = "IMWindowClass";  // the messenger's conversation window
inline constexpr const char* kStatusIdle = "Vigilamp is idle.";
inline constexpr const char* kStatusActive = "Vigilamp is active!";
inline constexpr const char* kConfirmExit = "Are you sure you wish to close Vigilamp?";
inline constexpr const char* kConfirmClear = "Are you sure you want to clear the selected program?";
inline constexpr const char* kAdvancedWarning =
    "Use with caution!\r\nThis feature is very powerful and choosing the wrong handle may cause your system to "
    "crash.\r\nPlease take note of this.";
inline constexpr const char* kDefaultSoundName = "vigilampairraid.mp3";
// The tray icon's one notification, at the very first start: a new icon may sit where nobody looks.
inline constexpr const char* kFirstRunNote =
    "Vigilamp Rizu! is running in the notification area. Double-click its icon to open it.";

// The Lighting page's note on how the lamps are reached, in the user's words.
inline constexpr const char* kLampsByDriver = "The lamps are lit through the keyboard driver.";
inline constexpr const char* kLampsByXkb = "The lamps are lit through the X keyboard extension.";
inline constexpr const char* kLampsByLedService = "The lamps are lit through the system's LED service.";
inline constexpr const char* kLampsUnavailable = "Not available on this system: the lock keys are switched instead.";

// The exception box's text: the message, with a "." added when its last character sorts above ".".
inline std::string exceptionText(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

using Color = std::uint32_t;  // 0x00BBGGRR
// The status lights: unlit green and lit lime while they mirror the keys, unlit maroon while not.
inline constexpr Color kLightLow = 0x008000, kLightHigh = 0x00FF00, kLightOffLow = 0x000080;

}  // namespace vr
