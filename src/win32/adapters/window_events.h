// The Windows adapter of the WindowEvents port: win events (SetWinEventHook out of context, so nothing is
// injected into other programs) tell of top-level windows created, shown or renamed, and the shell's hook tells
// of taskbar buttons that flash. Both are held only while the form listens for them. The decisions are in
// win_event_listener.h; this file holds the Win32 calls and the hidden window the shell and the rounds report to.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "ports.h"
#include "win32/adapters/win_event_listener.h"

namespace vr::win32 {

inline constexpr char kWindowEventsClass[] = "TrmWindowEvents";

class WindowEvents final : public vr::WindowEvents, private WinEventCalls {
public:
    // Creates the hidden window on the calling thread, whose message loop the events then come through.
    explicit WindowEvents(HINSTANCE instance);
    ~WindowEvents() override;  // unhooks, deregisters and destroys the window
    WindowEvents(const WindowEvents&) = delete;
    WindowEvents& operator=(const WindowEvents&) = delete;

    std::optional<std::string> attentionUnavailable() override { return listener_->attentionUnavailable(); }
    void listen(bool changes, bool attention) override { listener_->listen(changes, attention); }

    std::function<void(WindowHandle)> onChange;     // a top-level window appeared or was renamed
    std::function<void(WindowHandle)> onAttention;  // a window flashed its taskbar button
    std::function<void()> onClose;                  // a close request reached the hidden window

private:
    template <class T>
    friend LRESULT CALLBACK objectWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK onWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                                    DWORD thread, DWORD time);

    // WinEventCalls
    bool hookWinEvents(bool on) override;
    bool shellHook(bool on) override;
    bool topLevel(WindowHandle window) override;
    std::uint64_t now() override { return GetTickCount64(); }
    void roundNow() override;
    void roundIn(unsigned ms) override;
    void noRound() override;

    HWND window_ = nullptr;  // hidden: a real top-level one, since the shell reports to such windows
    UINT shellMessage_ = 0;  // the shell's notification message, where the shell reports to windows
    HWINEVENTHOOK created_ = nullptr, renamed_ = nullptr;
    std::optional<WinEventListener> listener_;
};

}  // namespace vr::win32
