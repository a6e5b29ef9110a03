#include "watch/key_led.h"

namespace vr {

bool TKeyLed::read(LockKey key) {
    std::uint8_t keys[256] = {};
    keyboard_.state(keys);
    return keys[static_cast<std::uint8_t>(key)] != 0;
}

TKeyLed::States TKeyLed::readAll() {
    std::uint8_t keys[256] = {};
    keyboard_.state(keys);
    const auto on = [&](LockKey key) { return keys[static_cast<std::uint8_t>(key)] != 0; };
    return {on(LockKey::Caps), on(LockKey::Num), on(LockKey::Scroll)};
}

void TKeyLed::set(LockKey key, bool wanted) {
    if (loading_) return;
    const auto vk = static_cast<std::uint8_t>(key);
    switch (keyboard_.platformId()) {
    case kWin95Family: {
        std::uint8_t keys[256] = {};
        keyboard_.state(keys);
        keys[vk] = wanted ? 1 : 0;  // the whole byte, key-down bit included
        keyboard_.setState(keys);
        break;
    }
    case kNtFamily:
        if (read(key) == wanted) return;
        // A press and release toggles the system-wide lock state, which the keyboard driver shows.
        keyboard_.keyEvent(vk, kScanCode, kExtendedKey);
        keyboard_.keyEvent(vk, kScanCode, kExtendedKey | kKeyUp);
        break;
    default:
        break;
    }
}

}  // namespace vr
