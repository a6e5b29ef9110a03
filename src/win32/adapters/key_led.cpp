#include "win32/adapters/key_led.h"

namespace vr::win32 {

namespace {

std::uint8_t vk(LockKey key) { return TKeyLed::kVirtualKey[static_cast<int>(key)]; }

}  // namespace

LockStates TKeyLed::states() {
    const auto on = [&](LockKey key) { return keyboard_.keyState(vk(key)) != 0; };
    return {on(LockKey::Caps), on(LockKey::Num), on(LockKey::Scroll)};
}

void TKeyLed::set(LockKey key, bool wanted) {
    if (loading_) return;
    switch (keyboard_.platformId()) {
    case kWin95Family: {
        std::uint8_t keys[256] = {};
        keyboard_.state(keys);
        keys[vk(key)] = wanted ? 1 : 0;  // the whole byte, key-down bit included
        keyboard_.setState(keys);
        break;
    }
    case kNtFamily:
        if ((keyboard_.keyState(vk(key)) != 0) == wanted) return;
        // A press and release toggles the system-wide lock state, which the keyboard driver shows.
        keyboard_.keyEvent(vk(key), kScanCode, kExtendedKey);
        keyboard_.keyEvent(vk(key), kScanCode, kExtendedKey | kKeyUp);
        break;
    default:
        break;
    }
}

}  // namespace vr::win32
