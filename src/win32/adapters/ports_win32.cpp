#include "win32/adapters/ports_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <type_traits>
#include <utility>

#include "form/main_form.h"
#include "settings/settings_file.h"
#include "win32/windows/win32_util.h"

namespace vr::win32 {

// The opaque handles of the ports carry the system's handles whole, on either target.
static_assert(sizeof(WindowHandle) >= sizeof(HWND) && sizeof(IconHandle) >= sizeof(HICON) &&
              sizeof(MenuHandle) >= sizeof(HMENU));

// The key state a thread reads is its own copy, which follows the input that thread takes from its queue. The
// program's thread takes its own synthesised presses as messages whenever one of its windows is in front (a
// menu, a box, the main window), so its copy lags behind them until it has pumped, and a modal loop in
// between leaves it anywhere. A thread with no window never takes input: asked for a key, the system answers
// with that key as it is now. So the lock keys are read on such a thread, and every decision sees the truth.
SystemKeyboard::~SystemKeyboard() {
    if (reader_) {
        stop_ = true;
        SetEvent(asked_);
        WaitForSingleObject(reader_, 1000);
        CloseHandle(reader_);
    }
    if (asked_) CloseHandle(asked_);
    if (answered_) CloseHandle(answered_);
}

std::uint8_t SystemKeyboard::read(std::uint8_t vk) {
    // A new thread does not see a key toggled before it began until it has looked at the keyboard itself.
    if (!looked_[vk]) GetAsyncKeyState(vk);
    looked_[vk] = true;
    const SHORT s = GetKeyState(vk);
    return static_cast<std::uint8_t>((s & 0x8000 ? 0x80 : 0) | (s & 1));
}

DWORD WINAPI SystemKeyboard::readerMain(void* param) {
    auto& self = *static_cast<SystemKeyboard*>(param);
    GetKeyState(0);  // the thread's input begins here, before any key's first look
    for (;;) {
        WaitForSingleObject(self.asked_, INFINITE);
        if (self.stop_) return 0;
        self.answer_ = self.read(self.question_);
        SetEvent(self.answered_);
    }
}

std::uint8_t SystemKeyboard::keyState(std::uint8_t vk) {
    if (!reader_ && !asked_) {
        asked_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        answered_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (asked_ && answered_)
            reader_ = CreateThread(nullptr, 64 * 1024, readerMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    }
    if (!reader_) return read(vk);  // no thread to be had: the program's own copy, right when nothing is pending
    question_ = vk;
    SetEvent(asked_);
    WaitForSingleObject(answered_, INFINITE);
    return answer_;
}

int SystemKeyboard::platformId() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) ? int(info.dwPlatformId) : -1;
}

void TopLevelWindows::sysCommand(WindowHandle window, WPARAM command) {
    // A hung or prompting target must not freeze the flashing: give up after a second.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(reinterpret_cast<HWND>(window), WM_SYSCOMMAND, command, 0, SMTO_ABORTIFHUNG, 1000,
                        &result);
}

namespace {

// The title as the system holds it, at most that many characters, read without a message to the window, so a
// hung one answers at once.
std::string heldTitle(HWND window, int maxChars) {
    std::wstring wide(static_cast<std::size_t>(maxChars) + 1, L'\0');
    wide.resize(static_cast<std::size_t>(std::max(0, InternalGetWindowText(window, wide.data(), maxChars + 1))));
    return narrow(wide);
}

BOOL CALLBACK collectWindow(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<TopLevelWindow>*>(param)->push_back(
        {reinterpret_cast<WindowHandle>(window), heldTitle(window, static_cast<int>(Windows::kTitleChars))});
    return TRUE;
}
static_assert(std::is_convertible_v<decltype(&collectWindow), WNDENUMPROC>,
              "called the system's way (stdcall on 32-bit x86)");

// The longest title a rule looks at; the rest of a longer one does not count.
constexpr int kRuleTitleChars = 512;
std::string heldTitle(HWND window) { return heldTitle(window, kRuleTitleChars); }

struct RuleSearch {
    const WindowRule& rule;
    HWND found = nullptr;
};

BOOL CALLBACK firstFitting(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<RuleSearch*>(param);
    // The class first, which costs less than a title; the rule compares it as the system does.
    if (!search.rule.className.empty()) {
        char name[Windows::kClassChars + 1] = "";
        GetClassNameA(window, name, sizeof name);
        if (!search.rule.fitsClass(name)) return TRUE;
    }
    if (!search.rule.fitsTitle(heldTitle(window))) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

WindowHandle TopLevelWindows::find(const WindowRule& rule) {
    if (!rule.titlePattern) return reinterpret_cast<WindowHandle>(FindWindowA(rule.className.c_str(), nullptr));
    // One walk in the system's order (a FindWindowEx per window would walk the list again each time).
    RuleSearch search{rule};
    EnumWindows(firstFitting, reinterpret_cast<LPARAM>(&search));
    return reinterpret_cast<WindowHandle>(search.found);
}

std::optional<std::string> TopLevelWindows::titleOf(WindowHandle window) {
    const HWND h = reinterpret_cast<HWND>(window);
    if (!IsWindow(h)) return std::nullopt;
    return heldTitle(h);
}

std::vector<TopLevelWindow> TopLevelWindows::topLevelWindows() {
    std::vector<TopLevelWindow> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::optional<std::string> TopLevelWindows::classOf(WindowHandle window) {
    char name[kClassChars + 1] = "";
    const int length = GetClassNameA(reinterpret_cast<HWND>(window), name, sizeof name);
    if (length <= 0) return std::nullopt;
    return std::string(name, static_cast<std::size_t>(length));
}

std::optional<WindowOwner> TopLevelWindows::ownerOf(WindowHandle window) {
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &process);
    if (thread == 0) return std::nullopt;
    return WindowOwner{process, thread};
}

void ShellLauncher::open(WindowHandle owner, const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& folder, Show show) {
    const auto orNull = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
    needComApartment();  // the shell may hand the file to an extension of its own
    ShellExecuteA(reinterpret_cast<HWND>(owner), verb.c_str(), file.c_str(), orNull(parameters), orNull(folder),
                  show == Show::minimized ? SW_SHOWMINIMIZED : SW_SHOWMAXIMIZED);
}

namespace {

// The boxes carry the program's own button texts whatever the system's language: a CBT hook renames the
// buttons when the box is activated.
HHOOK g_hook;

LRESULT CALLBACK renameButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        char cls[16] = "";
        GetClassNameA(box, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") == 0) {
            if (HWND b = GetDlgItem(box, IDYES)) SetWindowTextA(b, "&Yes");
            if (HWND b = GetDlgItem(box, IDNO)) SetWindowTextA(b, "&No");
            if (HWND b = GetDlgItem(box, IDOK)) SetWindowTextA(b, "OK");
            UnhookWindowsHookEx(g_hook);
            g_hook = nullptr;
            return 0;
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
static_assert(std::is_convertible_v<decltype(&renameButtons), HOOKPROC>,
              "called the system's way (stdcall on 32-bit x86)");

int show(HWND owner, const std::string& text, const char* caption, UINT type) {
    g_hook = SetWindowsHookExA(WH_CBT, renameButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxA(owner, text.c_str(), caption, type | MB_SETFOREGROUND);
    if (g_hook) UnhookWindowsHookEx(g_hook), g_hook = nullptr;
    return answer;
}

}  // namespace

bool MessageDialogs::confirm(const std::string& text) {
    return show(owner_, text, "Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
}
void MessageDialogs::error(const std::string& text) { show(owner_, text, "Error", MB_OK | MB_ICONERROR); }
void MessageDialogs::warning(const std::string& text) { show(owner_, text, "Warning", MB_OK | MB_ICONWARNING); }
void MessageDialogs::exception(const std::string& text) { show(owner_, text, kTitle, MB_OK | MB_ICONSTOP); }

std::string modulePath() {
    // A path that does not fit comes back cut to the buffer's size: try again with a larger buffer, up to one
    // that holds the longest path Windows has.
    DWORD error = ERROR_INSUFFICIENT_BUFFER;
    for (DWORD size = MAX_PATH; size < 65536; size *= 2) {
        std::string path(size, '\0');
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), size);
        if (length == 0) {
            error = GetLastError();
            break;
        }
        if (length < size) return path.substr(0, length);
    }
    throw failure("Unable to read the path of vigilamp.exe, which the settings file and the start-up registration "
                  "need",
                  HRESULT_FROM_WIN32(error));
}

IniProfile::IniProfile(const std::string& executable) : path_(settingsPathFor(executable)) {}

std::optional<std::string> IniProfile::read(const std::string& section, const std::string& key) {
    // The profile API answers a missing key with the default it is given. Two different defaults tell a
    // missing key from any value, since a stored value cannot equal both.
    static constexpr const char* kMissing[] = {"\x01vigilamp:missing:1\x01", "\x02vigilamp:missing:2\x02"};
    char value[2048];
    for (const char* missing : kMissing) {
        GetPrivateProfileStringA(section.c_str(), key.c_str(), missing, value, sizeof value, path_.c_str());
        if (lstrcmpA(value, missing) != 0) return std::string(value);
    }
    return std::nullopt;
}

namespace {

constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A Run key opened for writing values, and closed again whatever happens.
class OpenRunKey {
public:
    explicit OpenRunKey(RunKey::Scope scope) {
        const LONG opened = scope == RunKey::Scope::machine
            ? RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_SET_VALUE, &key_)
            : RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr);
        opened_ = opened == ERROR_SUCCESS;
    }
    ~OpenRunKey() {
        if (opened_) RegCloseKey(key_);
    }
    OpenRunKey(const OpenRunKey&) = delete;
    OpenRunKey& operator=(const OpenRunKey&) = delete;
    bool opened() const { return opened_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
    bool opened_ = false;
};

}  // namespace

RunKey::Result RegistryRunKey::setValue(Scope scope, const std::string& name, const std::string& data) {
    OpenRunKey key(scope);
    if (!key.opened()) return Result::notOpened;
    const auto* bytes = reinterpret_cast<const BYTE*>(data.c_str());
    const LONG written =
        RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, bytes, static_cast<DWORD>(data.size() + 1));
    return written == ERROR_SUCCESS ? Result::done : Result::failed;
}

RunKey::Result RegistryRunKey::deleteValue(Scope scope, const std::string& name) {
    OpenRunKey key(scope);
    if (!key.opened()) return Result::notOpened;
    RegDeleteValueA(key.get(), name.c_str());  // a value already absent is what was wanted
    return Result::done;
}

}  // namespace vr::win32
