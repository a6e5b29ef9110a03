#include "win32/adapters/window_events.h"

#include <type_traits>
#include <utility>
#include <vector>

#include "win32/windows/win32_util.h"
#include "win32/windows/window_object.h"

namespace vr::win32 {

static_assert(WinEventListener::kObjectCreate == EVENT_OBJECT_CREATE &&
              WinEventListener::kObjectDestroy == EVENT_OBJECT_DESTROY &&
              WinEventListener::kObjectShow == EVENT_OBJECT_SHOW &&
              WinEventListener::kObjectNameChange == EVENT_OBJECT_NAMECHANGE);
static_assert(WinEventListener::kObjectIdWindow == OBJID_WINDOW && WinEventListener::kChildIdSelf == CHILDID_SELF);
static_assert(WinEventListener::kShellFlash == HSHELL_FLASH);

namespace {

constexpr UINT kRoundMessage = WM_APP + 1;
constexpr UINT_PTR kRoundTimer = 1;

// A win event's callback is told its hook and nothing of ours: each hook set names the adapter that set it. Out
// of context, the callback runs on the thread that set the hook, the user-interface thread.
std::vector<std::pair<HWINEVENTHOOK, WindowEvents*>>& hookOwners() {
    static std::vector<std::pair<HWINEVENTHOOK, WindowEvents*>> owners;
    return owners;
}

}  // namespace

WindowEvents::WindowEvents(HINSTANCE instance) {
    static_assert(std::is_convertible_v<decltype(&onWinEvent), WINEVENTPROC>,
                  "called the system's way (stdcall on 32-bit x86)");
    registerWindowClass(instance, kWindowEventsClass, objectWindowProc<WindowEvents>);
    CreateWindowExA(WS_EX_TOOLWINDOW, kWindowEventsClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    // Whether the shell reports to windows at all is known by asking once; the hook is kept only while listened.
    bool shellReports = false;
    if (window_ && RegisterShellHookWindow(window_)) {
        shellMessage_ = RegisterWindowMessageA("SHELLHOOK");
        DeregisterShellHookWindow(window_);
        shellReports = shellMessage_ != 0;
    }
    listener_.emplace(static_cast<WinEventCalls&>(*this), shellReports);
    listener_->onChange = [this](WindowHandle window) {
        if (onChange) onChange(window);
    };
    listener_->onAttention = [this](WindowHandle window) {
        if (onAttention) onAttention(window);
    };
}

WindowEvents::~WindowEvents() {
    listener_->listen(false, false);
    DestroyWindow(window_);
}

void CALLBACK WindowEvents::onWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                                       DWORD, DWORD) {
    for (const auto& [held, owner] : hookOwners()) {
        if (held == hook) {
            owner->listener_->winEvent(event, reinterpret_cast<WindowHandle>(window), objectId, childId);
            return;
        }
    }
}

bool WindowEvents::hookWinEvents(bool on) {
    auto& owners = hookOwners();
    for (HWINEVENTHOOK* hook : {&created_, &renamed_}) {
        if (!*hook) continue;
        UnhookWinEvent(*hook);
        std::erase(owners, std::pair{*hook, this});
        *hook = nullptr;
    }
    if (!on) return true;
    // Two ranges, so that the busy events between them (a location change at every move of any window or of
    // the caret) never reach the program.
    constexpr DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    created_ = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, onWinEvent, 0, 0, flags);
    renamed_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, onWinEvent, 0, 0, flags);
    for (HWINEVENTHOOK hook : {created_, renamed_})
        if (hook) owners.emplace_back(hook, this);
    return created_ || renamed_;
}

bool WindowEvents::shellHook(bool on) {
    return (on ? RegisterShellHookWindow(window_) : DeregisterShellHookWindow(window_)) != FALSE;
}

bool WindowEvents::topLevel(WindowHandle window) {
    const HWND h = reinterpret_cast<HWND>(window);
    return GetAncestor(h, GA_PARENT) == GetDesktopWindow();
}

void WindowEvents::roundNow() { PostMessageA(window_, kRoundMessage, 0, 0); }

void WindowEvents::roundIn(unsigned ms) { SetTimer(window_, kRoundTimer, ms, nullptr); }

void WindowEvents::noRound() { KillTimer(window_, kRoundTimer); }

LRESULT WindowEvents::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRoundMessage) {
        if (listener_) listener_->round();
        return 0;
    }
    if (message == WM_TIMER && wParam == kRoundTimer) {
        KillTimer(window_, kRoundTimer);  // one round per arrangement
        if (listener_) listener_->round();
        return 0;
    }
    if (message == shellMessage_ && shellMessage_ != 0) {
        if (listener_) listener_->shellMessage(wParam, static_cast<WindowHandle>(lParam));
        return 0;
    }
    if (message == WM_CLOSE) {
        // Another program asked the window to close: without it the program would hear no events.
        if (onClose) onClose();
        return 0;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vr::win32
