#include "win32/adapters/ports_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <type_traits>
#include <utility>

#include "model/texts.h"
#include "match/text.h"
#include "settings/paths.h"
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

bool ownWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

// The title as the system holds it, at most that many characters, read without a message to the window, so a
// hung one answers at once.
std::wstring heldTitleW(HWND window, std::size_t maxChars) {
    std::wstring wide(maxChars + 1, L'\0');
    wide.resize(static_cast<std::size_t>(
        std::max(0, InternalGetWindowText(window, wide.data(), static_cast<int>(maxChars + 1)))));
    return wide;
}

std::u16string_view units(const std::wstring& wide) {
    return {reinterpret_cast<const char16_t*>(wide.data()), wide.size()};
}

std::wstring classNameW(HWND window) {
    wchar_t name[Windows::kClassChars + 1] = L"";
    return std::wstring(name, static_cast<std::size_t>(std::max(0, GetClassNameW(window, name, std::size(name)))));
}

BOOL CALLBACK collectWindow(HWND window, LPARAM param) {
    if (!ownWindow(window))
        reinterpret_cast<std::vector<TopLevelWindow>*>(param)->push_back(
            {reinterpret_cast<WindowHandle>(window), narrow(heldTitleW(window, Windows::kTitleChars))});
    return TRUE;
}
static_assert(std::is_convertible_v<decltype(&collectWindow), WNDENUMPROC>,
              "called the system's way (stdcall on 32-bit x86)");

// Whether the window fits, read as the system keeps it: UTF-16, compared character by character.
bool fitsRule(HWND window, const RuleMatcher& rule) {
    if (ownWindow(window)) return false;
    // The class first, which costs less than a title.
    if (rule.checksClass() && !rule.fitsClass(units(classNameW(window)))) return false;
    return !rule.checksTitle() || rule.fitsTitle(units(heldTitleW(window, Windows::kRuleTitleChars)));
}

struct RuleSearch {
    const RuleMatcher& rule;
    HWND found = nullptr;
};

BOOL CALLBACK firstFitting(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<RuleSearch*>(param);
    if (!fitsRule(window, search.rule)) return TRUE;
    search.found = window;
    return FALSE;
}
static_assert(std::is_convertible_v<decltype(&firstFitting), WNDENUMPROC>);

}  // namespace

WindowHandle TopLevelWindows::find(const WindowRule& rule) {
    if (rule.empty()) return 0;
    if (!rule.titlePattern) {
        // The system's own lookup by class, past the program's own windows.
        const std::wstring className = widen(rule.className);
        HWND window = nullptr;
        do window = FindWindowExW(nullptr, window, className.c_str(), nullptr);
        while (window && ownWindow(window));
        return reinterpret_cast<WindowHandle>(window);
    }
    // One walk in the system's order (a FindWindowEx per window would walk the list again each time).
    const RuleMatcher matcher(rule, foldCase);
    RuleSearch search{matcher};
    EnumWindows(firstFitting, reinterpret_cast<LPARAM>(&search));
    return reinterpret_cast<WindowHandle>(search.found);
}

bool TopLevelWindows::fits(WindowHandle window, const WindowRule& rule) {
    const HWND h = reinterpret_cast<HWND>(window);
    return IsWindow(h) && fitsRule(h, RuleMatcher(rule, foldCase));
}

std::optional<std::string> TopLevelWindows::titleOf(WindowHandle window) {
    const HWND h = reinterpret_cast<HWND>(window);
    if (!IsWindow(h)) return std::nullopt;
    return narrow(heldTitleW(h, kRuleTitleChars));
}

std::vector<TopLevelWindow> TopLevelWindows::topLevelWindows() {
    std::vector<TopLevelWindow> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::optional<std::string> TopLevelWindows::classOf(WindowHandle window) {
    const std::wstring name = classNameW(reinterpret_cast<HWND>(window));
    if (name.empty()) return std::nullopt;
    return narrow(name);
}

std::optional<WindowOwner> TopLevelWindows::ownerOf(WindowHandle window) {
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &process);
    if (thread == 0) return std::nullopt;
    return WindowOwner{process, thread};
}

namespace {

void shellOpen(HWND owner, const std::string& file, const std::string& folder, int show) {
    const std::wstring wideFolder = widen(folder);
    needComApartment();  // the shell may hand the file to an extension of its own
    ShellExecuteW(owner, L"open", widen(file).c_str(), nullptr, wideFolder.empty() ? nullptr : wideFolder.c_str(),
                  show);
}

}  // namespace

void ShellLauncher::program(const std::string& path) { shellOpen(nullptr, path, "", SW_SHOWMINIMIZED); }
void ShellLauncher::document(const std::string& path) { shellOpen(owner_, path, folderOf(path), SW_SHOWMAXIMIZED); }
void ShellLauncher::address(const std::string& url) { shellOpen(owner_, url, "", SW_SHOWMAXIMIZED); }

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
    const int answer = MessageBoxW(owner, widen(text).c_str(), widen(caption).c_str(), type | MB_SETFOREGROUND);
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
void MessageDialogs::report(const std::string& text) { OutputDebugStringW(widen("vigilamp: " + text + "\n").c_str()); }

std::string modulePath() {
    // A path that does not fit comes back cut to the buffer's size: try again with a larger buffer, up to one
    // that holds the longest path Windows has.
    DWORD error = ERROR_INSUFFICIENT_BUFFER;
    for (DWORD size = MAX_PATH; size < 65536; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) {
            error = GetLastError();
            break;
        }
        if (length < size) return narrow(std::wstring_view(path).substr(0, length));
    }
    throw failure("Unable to read the path of vigilamp.exe, which the settings file and the start-up registration "
                  "need",
                  HRESULT_FROM_WIN32(error));
}

IniProfile::IniProfile(const std::string& executable) : path_(settingsPathFor(executable)) {}

std::optional<std::string> IniProfile::read(const std::string& section, const std::string& key) {
    // The profile API answers a missing key with the default it is given. Two different defaults tell a
    // missing key from any value, since a stored value cannot equal both.
    static constexpr const wchar_t* kMissing[] = {L"\x01vigilamp:missing:1\x01", L"\x02vigilamp:missing:2\x02"};
    // Room for more than the core keeps, which cuts every value to the same characters on both front ends.
    wchar_t value[4 * kValueChars + 1];
    const std::wstring s = widen(section), k = widen(key), file = widen(path_);
    for (const wchar_t* missing : kMissing) {
        const DWORD length = GetPrivateProfileStringW(s.c_str(), k.c_str(), missing, value, std::size(value),
                                                      file.c_str());
        if (lstrcmpW(value, missing) != 0) return narrow(std::wstring_view(value, length));
    }
    return std::nullopt;
}

bool IniProfile::write(const std::string& section, const std::string& key, const std::string& value) {
    // A line break or a NUL would end the value early and let the rest pass as lines of the file.
    if ((section + key + value).find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return false;
    return WritePrivateProfileStringW(widen(section).c_str(), widen(key).c_str(), widen(value).c_str(),
                                      widen(path_).c_str()) != FALSE;
}

bool IniProfile::exists() { return GetFileAttributesW(widen(path_).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::string> IniProfile::cannotHold(const std::string& value) {
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8) return std::nullopt;  // a system set to UTF-8 holds every character
    for (std::size_t at = 0; at < value.size();) {
        const std::size_t start = at;
        nextChar(value, at);
        const std::wstring one = widen(value.substr(start, at - start));
        BOOL lacking = FALSE;
        char bytes[8];
        WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, one.data(), static_cast<int>(one.size()), bytes,
                            sizeof bytes, nullptr, &lacking);
        if (lacking)
            return "holds " + value.substr(start, at - start) + ", which the system's code page (" +
                   std::to_string(codePage) + ") lacks";
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
    const std::wstring wide = widen(data);
    const auto* bytes = reinterpret_cast<const BYTE*>(wide.c_str());
    const LONG written = RegSetValueExW(key.get(), widen(name).c_str(), 0, REG_SZ, bytes,
                                        static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    return written == ERROR_SUCCESS ? Result::done : Result::failed;
}

RunKey::Result RegistryRunKey::deleteValue(Scope scope, const std::string& name) {
    OpenRunKey key(scope);
    if (!key.opened()) return Result::notOpened;
    RegDeleteValueW(key.get(), widen(name).c_str());  // a value already absent is what was wanted
    return Result::done;
}

}  // namespace vr::win32
