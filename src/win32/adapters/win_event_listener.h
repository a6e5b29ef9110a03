// What the Windows adapter of the WindowEvents port decides, free of <windows.h> so it is tested natively with a
// fake of the raw calls: which win events name a top-level window, when the hooks are held, how the windows they
// name are gathered into rounds, and the shell's report of a flashing taskbar button. The Win32 side is
// window_events.h.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ports.h"
#include "watch/event_rounds.h"

namespace vr::win32 {

// The raw calls WinEventListener is written against, each a thin wrapper of its Win32 function.
class WinEventCalls {
public:
    virtual ~WinEventCalls() = default;
    // SetWinEventHook out of context, skipping the program's own process, for the events the listener takes (on),
    // or UnhookWinEvent of those set (off); false when the system refuses a hook.
    virtual bool hookWinEvents(bool on) = 0;
    // RegisterShellHookWindow (on) or DeregisterShellHookWindow (off) for the listener's window; the call's result.
    virtual bool shellHook(bool on) = 0;
    // Whether the window is a top-level one now: the desktop is its parent (GetAncestor with GA_PARENT).
    virtual bool topLevel(WindowHandle window) = 0;
    virtual std::uint64_t now() = 0;     // milliseconds, GetTickCount64
    virtual void roundNow() = 0;         // a message to the listener's window that comes back as round()
    virtual void roundIn(unsigned ms) = 0;  // a one-shot timer that comes back as round(), replacing one set before
    virtual void noRound() = 0;          // the timer killed
};

class WinEventListener final : public WindowEvents {
public:
    // The win events and numbers it takes (winuser.h); window_events.cpp checks them against the system's.
    static constexpr std::uint32_t kObjectCreate = 0x8000, kObjectDestroy = 0x8001, kObjectShow = 0x8002,
                                   kObjectNameChange = 0x800C;
    static constexpr long kObjectIdWindow = 0, kChildIdSelf = 0;
    static constexpr std::uintptr_t kShellFlash = 0x8006;  // HSHELL_FLASH: HSHELL_REDRAW with HSHELL_HIGHBIT

    // shellReports: the shell reports to windows here (RegisterShellHookWindow worked when tried).
    WinEventListener(WinEventCalls& calls, bool shellReports) : calls_(calls), shellReports_(shellReports) {}

    std::optional<std::string> attentionUnavailable() override;
    void listen(bool changes, bool attention) override;

    // Whether the event names a top-level window as a whole: created, shown or renamed (not one of its parts).
    static bool namesWindow(std::uint32_t event, long objectId, long childId);

    // The hook's callback: one event, as the system reports it.
    void winEvent(std::uint32_t event, WindowHandle window, long objectId, long childId);
    // The shell's message to the listener's window.
    void shellMessage(std::uintptr_t code, WindowHandle window);
    // The round the listener arranged came (its message or its timer): each window named since the last one is
    // handed to onChange once, while changes are still listened for.
    void round();

    std::function<void(WindowHandle)> onChange;     // a top-level window appeared or was renamed
    std::function<void(WindowHandle)> onAttention;  // a window flashed its taskbar button

private:
    void arrange();

    WinEventCalls& calls_;
    bool shellReports_;
    bool changes_ = false, hooked_ = false;  // asked for; the hooks held
    bool shellHooked_ = false;
    EventRounds rounds_;
};

}  // namespace vr::win32
