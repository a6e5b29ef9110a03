// TKeyLed: the lock lights on Windows, through the keyboard-state calls. It keeps no state of its own: every
// read asks the system and every set acts on it at once. Free of <windows.h>, so it is tested natively with a
// fake of the raw calls.
#pragma once
#include <cstdint>

#include "ports.h"

namespace vr::win32 {

// The raw calls TKeyLed is written against, each a thin wrapper of its Win32 function.
class KeyboardApi {
public:
    virtual ~KeyboardApi() = default;
    // One key's state byte as the system holds it now, whatever window had the last message and whatever the
    // user or another program pressed since: bit 7 down, bit 0 toggled (GetKeyState).
    virtual std::uint8_t keyState(std::uint8_t vk) = 0;
    virtual void state(std::uint8_t keys[256]) = 0;  // GetKeyboardState, for the 95 family's whole-byte write
    virtual void setState(const std::uint8_t keys[256]) = 0;  // SetKeyboardState
    virtual void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) = 0;  // keybd_event
    virtual int platformId() = 0;  // 1: the Windows 95 family, 2: the NT family, anything else: neither
};

class TKeyLed final : public LockLights {
public:
    static constexpr std::uint8_t kScanCode = 0x45;      // the same hardware scan code for all three keys
    static constexpr std::uint32_t kExtendedKey = 0x1;   // KEYEVENTF_EXTENDEDKEY
    static constexpr std::uint32_t kKeyUp = 0x2;         // KEYEVENTF_KEYUP
    static constexpr int kWin95Family = 1, kNtFamily = 2;
    static constexpr std::uint8_t kVirtualKey[] = {20, 144, 145};  // VK_CAPITAL, VK_NUMLOCK, VK_SCROLL

    explicit TKeyLed(KeyboardApi& keyboard) : keyboard_(keyboard) {}

    // Sets do nothing until the owning window has finished creating its controls.
    void loaded() { loading_ = false; }

    // Any set bit counts: a lock key held down reads as on whatever its toggle state.
    LockStates states() override;
    void set(LockKey key, bool wanted) override;

private:
    KeyboardApi& keyboard_;
    bool loading_ = true;
};

}  // namespace vr::win32
