// TKeyLed: reads and sets the Caps, Num and Scroll Lock states, whose lights the alert flashes. It keeps no
// state of its own: every read asks the system and every set acts on it at once.
#pragma once
#include <cstdint>

#include "platform/ports.h"

namespace vr {

enum class LockKey : std::uint8_t { Caps = 20, Num = 144, Scroll = 145 };  // virtual-key codes

class TKeyLed {
public:
    static constexpr std::uint8_t kScanCode = 0x45;  // the same hardware scan code for all three keys
    static constexpr std::uint32_t kExtendedKey = 0x1;  // KEYEVENTF_EXTENDEDKEY
    static constexpr std::uint32_t kKeyUp = 0x2;        // KEYEVENTF_KEYUP
    static constexpr int kWin95Family = 1, kNtFamily = 2;

    explicit TKeyLed(Keyboard& keyboard) : keyboard_(keyboard) {}

    // Sets do nothing until the owning window has finished creating its controls.
    void loaded() { loading_ = false; }

    // Any set bit counts: a lock key held down reads as on whatever its toggle state.
    bool read(LockKey key);
    void set(LockKey key, bool wanted);
    // The three keys from one look at the keyboard, for the status lights' tick: one system call, not three.
    struct States {
        bool caps, num, scroll;
        bool of(LockKey key) const { return key == LockKey::Caps ? caps : key == LockKey::Num ? num : scroll; }
    };
    States readAll();

    bool CapsLock() { return read(LockKey::Caps); }
    bool NumLock() { return read(LockKey::Num); }
    bool ScrollLock() { return read(LockKey::Scroll); }
    void setCapsLock(bool on) { set(LockKey::Caps, on); }
    void setNumLock(bool on) { set(LockKey::Num, on); }
    void setScrollLock(bool on) { set(LockKey::Scroll, on); }

private:
    Keyboard& keyboard_;
    bool loading_ = true;
};

}  // namespace vr
