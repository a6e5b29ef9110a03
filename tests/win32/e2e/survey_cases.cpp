// End-to-end cases of the Advanced page and the help links: the program's list of windows checked against what
// the driver sees, the target class picked, stored, kept over a restart and reset, a hung window, and the
// manual and the web address opened through the shell's associations with a stand-in viewer.
#include <cstdio>
#include <utility>
#include <memory>
#include <optional>

#include "e2e.h"

using vr::Cmd;
using vr::Ctl;

namespace {

struct ListItem {
    std::string text;
    HWND window;
};

// The list's items as another process reads them. Asked for in UTF-16: Wine hands an ANSI LB_GETTEXT from
// another process the UTF-16 text, twice the bytes the caller expects.
std::vector<ListItem> listItems(HWND list) {
    std::vector<ListItem> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[1024] = L"";
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0);
        if (length >= 0 && length < LRESULT(std::size(wide)))
            SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(wide));
        char text[2048] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        items.push_back({text, reinterpret_cast<HWND>(SendMessageW(list, LB_GETITEMDATA, WPARAM(i), 0))});
    }
    return items;
}

int indexOf(const std::vector<ListItem>& items, HWND window) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].window == window) return static_cast<int>(i);
    return -1;
}

int countOf(const std::vector<ListItem>& items, HWND window) {
    int n = 0;
    for (const ListItem& item : items) n += item.window == window;
    return n;
}

// The user selects an item: the list box changes its selection and tells its parent.
void select(const e2e::App& app, int index) {
    HWND list = app.control(Ctl::lsbHandles);
    SendMessageA(list, LB_SETCURSEL, WPARAM(index), 0);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(int(Ctl::lsbHandles), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

// The user clicks a label that reacts to clicks. Posted: the click may open a modal box.
void clickLabel(const e2e::App& app, Ctl label) {
    HWND h = app.control(label);
    PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

// Shows the program on its Advanced page and ticks Enable.
void startPicking(const e2e::App& app) {
    app.send(Cmd::TrayShow);
    app.send(Cmd::ShowAdvancedPage);
    app.click(Ctl::cbxEnableAdvanced);
}

bool enabled(const e2e::App& app, Ctl id) { return IsWindowEnabled(app.control(id)) != FALSE; }

std::string label(const e2e::App& app, Ctl id) { return e2e::text(app.control(id)); }

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool samePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Top-level windows in the order EnumWindows gives them, as the driver sees them.
BOOL CALLBACK collect(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> enumerated() {
    std::vector<HWND> all;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

// A default value under HKEY_CLASSES_ROOT set for the life of this object, then put back as it was.
class ClassesValue {
public:
    ClassesValue(const std::string& key, const std::string& value) : key_(key) {
        HKEY h;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
            ERROR_SUCCESS) {
            e2e::check(false, "the stand-in viewer is registered", key);
            return;
        }
        char old[1024] = "";
        DWORD size = sizeof old - 1, type = 0;
        if (RegQueryValueExA(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            old_ = old;
        RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
        RegCloseKey(h);
    }
    ~ClassesValue() {
        HKEY h;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key_.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
        if (old_) RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_->c_str()),
                                 DWORD(old_->size() + 1));
        else RegDeleteValueA(h, nullptr);
        RegCloseKey(h);
    }
    ClassesValue(const ClassesValue&) = delete;
    ClassesValue& operator=(const ClassesValue&) = delete;

private:
    std::string key_;
    std::optional<std::string> old_;
};

// The stand-in viewer registered for .mht documents and http addresses while the object lives. The programs
// the shell starts inherit the driver's environment through vigilamp.exe, which tells the viewer where to
// report.
class StandInViewer {
public:
    StandInViewer() {
        DeleteFileA(marker_.c_str());
        SetEnvironmentVariableA("VIGILAMP_E2E_OPENED", marker_.c_str());
        std::string command = "\"";  // appended: GCC 12 warns falsely on a chain of + here
        command.append(e2e::here()).append("\\e2e_viewer.exe\" \"%1\"");
        values_.push_back(std::make_unique<ClassesValue>(".mht", "VigilampE2E.Document"));
        values_.push_back(std::make_unique<ClassesValue>("VigilampE2E.Document\\shell\\open\\command", command));
        values_.push_back(std::make_unique<ClassesValue>("http\\shell\\open\\command", command));
    }
    ~StandInViewer() {
        values_.clear();
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "VigilampE2E.Document");
        SetEnvironmentVariableA("VIGILAMP_E2E_OPENED", nullptr);
        DeleteFileA(marker_.c_str());
    }

    // What the viewer was given, its working folder and its show command; empty when it was not started.
    std::vector<std::string> report(DWORD ms) const {
        std::vector<std::string> lines;
        if (!e2e::waitFor([&] { return exists(marker_); }, ms)) return lines;
        const std::string text = e2e::fileText(marker_);
        for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

private:
    std::string marker_ = e2e::here() + "\\viewer-opened.txt";
    std::vector<std::unique_ptr<ClassesValue>> values_;
};

}  // namespace

E2E_CASE(scan_lists_the_titled_windows_in_order_and_skips_untitled_ones) {
    const std::string longTitle(200, 'L');
    std::optional<e2e::Target> twinA{std::in_place, "VigilampSurveyA", "Survey twin"};
    e2e::Target twinB("VigilampSurveyB", "Survey twin");
    e2e::Target untitled("VigilampSurveyU", "");
    e2e::Target longOne("VigilampSurveyL", longTitle.c_str());
    e2e::App app;
    app.send(Cmd::TrayShow);
    app.send(Cmd::ShowAdvancedPage);
    e2e::check(!enabled(app, Ctl::lsbHandles) && !enabled(app, Ctl::btnScan) && !enabled(app, Ctl::btnSet),
               "the list, Scan and Set start disabled");
    app.click(Ctl::cbxEnableAdvanced);
    e2e::check(enabled(app, Ctl::lsbHandles) && enabled(app, Ctl::btnScan) && enabled(app, Ctl::btnSet),
               "Enable enables them");
    e2e::check(label(app, Ctl::lblClassname).empty(), "and empties the target class", label(app, Ctl::lblClassname));

    app.click(Ctl::btnScan);
    const auto order = enumerated();
    const auto items = listItems(app.control(Ctl::lsbHandles));
    e2e::check(countOf(items, twinA->window()) == 1 && countOf(items, twinB.window()) == 1 &&
                   items[std::size_t(indexOf(items, twinA->window()))].text == "Survey twin" &&
                   items[std::size_t(indexOf(items, twinB.window()))].text == "Survey twin",
               "two windows with the same title are each listed once");
    e2e::check(indexOf(items, untitled.window()) < 0, "an untitled window is skipped");
    const int longAt = indexOf(items, longOne.window());
    e2e::check(longAt >= 0 && items[std::size_t(longAt)].text == longTitle.substr(0, 128),
               "a title of 200 characters is cut to 128",
               longAt >= 0 ? std::to_string(items[std::size_t(longAt)].text.size()) : "not listed");
    HWND driverWindow = FindWindowA("STATIC", "e2e driver");
    e2e::check(driverWindow && !IsWindowVisible(driverWindow) && indexOf(items, driverWindow) >= 0,
               "a hidden window with a title is listed");
    int wrongTitles = 0, outOfOrder = 0;
    std::size_t last = 0;
    for (const ListItem& item : items) {
        if (IsWindow(item.window) && e2e::text(item.window).substr(0, 128) != item.text) ++wrongTitles;
        std::size_t at = 0;
        while (at < order.size() && order[at] != item.window) ++at;
        if (at == order.size()) continue;  // closed since
        if (at < last) ++outOfOrder;
        last = at;
    }
    e2e::check(wrongTitles == 0, "every item shows its window's title", std::to_string(wrongTitles) + " differ");
    e2e::check(outOfOrder == 0, "the items follow the order EnumWindows gives",
               std::to_string(outOfOrder) + " out of order among " + std::to_string(items.size()));

    const HWND closed = twinA->window();
    twinA.reset();
    app.click(Ctl::btnScan);
    const auto again = listItems(app.control(Ctl::lsbHandles));
    e2e::check(indexOf(again, closed) < 0 && countOf(again, twinB.window()) == 1,
               "a second scan lists only the windows that exist then, once each");

    clickLabel(app, Ctl::lblWarning);
    HWND box = app.waitBox("Warning");
    e2e::check(box && e2e::App::boxText(box) ==
                          "Use with caution!\r\nThis feature is very powerful and choosing the wrong handle may "
                          "cause your system to crash.\r\nPlease take note of this.",
               "Feature Warning! shows the warning", box ? e2e::App::boxText(box) : "no box");
    if (box) e2e::App::answer(box, IDOK);
}

E2E_CASE(selecting_a_window_shows_it_and_set_keeps_its_class_over_a_restart) {
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) e2e::setLock(vk, false);
    e2e::Target target("VigilampSurveyPick", "Pick me");
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(target.window(), &process);
    char expected[256];
    std::snprintf(expected, sizeof expected, "HWND: %8.8X\r\nClass: %s\r\nProcess ID: %8.8lX\r\nThread ID: %8.8lX",
                  unsigned(reinterpret_cast<UINT_PTR>(target.window())), "VigilampSurveyPick", process, thread);
    // A short delay and only Caps Lock in the pattern, so that the restarted watch shows quickly what it found.
    const std::string ini =
        "[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\nScanInterval=1000\r\n"
        "[FlashingPat]\r\nCaps=1\r\nNum=0\r\nScr=0\r\n[Actions]\r\nNothing=1\r\nMinimise=0\r\n";
    std::string stored;
    {
        e2e::App app(ini);
        startPicking(app);
        app.click(Ctl::btnScan);
        const int at = indexOf(listItems(app.control(Ctl::lsbHandles)), target.window());
        e2e::check(at >= 0, "the target is listed");
        select(app, at);
        e2e::check(label(app, Ctl::lblHandle) == expected, "the information shows four lines",
                   label(app, Ctl::lblHandle));
        e2e::check(label(app, Ctl::lblClassname) == "VigilampSurveyPick", "the class becomes the target",
                   label(app, Ctl::lblClassname));
        e2e::check(e2e::iniValue(app.iniPath(), "Advanced", "Handlename") == "<missing>",
                   "selecting stores nothing");
        e2e::waitFor([] { return false; }, 300);
        e2e::screenshot(app.main(), "page-Advanced-picked");
        app.click(Ctl::btnSet);
        e2e::check(e2e::iniValue(app.iniPath(), "Advanced", "Handlename") == "VigilampSurveyPick",
                   "Set stores the class", e2e::iniValue(app.iniPath(), "Advanced", "Handlename"));
        stored = e2e::fileText(app.iniPath());
    }
    {
        e2e::App app(stored);
        e2e::check(label(app, Ctl::lblClassname) == "VigilampSurveyPick", "after a restart the label shows it",
                   label(app, Ctl::lblClassname));
        e2e::check(!app.checked(Ctl::cbxEnableAdvanced) && !enabled(app, Ctl::lsbHandles),
                   "with the page off");
        app.click(Ctl::btnExecute);
        e2e::check(e2e::waitFor([] { return e2e::lockOn(VK_CAPITAL); }, 8000),
                   "and the watch finds a window of that class");
        app.click(Ctl::btnDisable);
        e2e::waitFor([] { return !e2e::lockOn(VK_CAPITAL); }, 2000);

        app.click(Ctl::cbxEnableAdvanced);
        app.click(Ctl::cbxEnableAdvanced);
        e2e::check(label(app, Ctl::lblClassname) == "IMWindowClass", "unticking returns to IMWindowClass",
                   label(app, Ctl::lblClassname));
        e2e::check(e2e::iniValue(app.iniPath(), "Advanced", "Handlename") == "IMWindowClass",
                   "and stores it over the picked class", e2e::iniValue(app.iniPath(), "Advanced", "Handlename"));
    }
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) e2e::setLock(vk, false);
}

// What another program names its windows, picked, set and tested: never a key of the settings file, and a
// pattern that compares characters (Wine's code page here is 1252, which lacks the CJK ones).
E2E_CASE(picked_names_never_become_settings_and_patterns_compare_characters) {
    const std::string planted = "Evil\\r\\n[Actions]\\r\\nEnable=1\\r\\nFile=C:\\planted.exe\\r\\n[Advanced]";
    e2e::Target evil(planted, "Evil\\r\\n[Actions]\\r\\nEnable=1");
    e2e::Target cafe("VigilampChars", "Café"), russian("VigilampChars", "Привет"), cjk("VigilampChars", "日本語");
    const std::string longTitle = std::string(299, 'L') + "é";
    e2e::Target tall("VigilampLong", longTitle);
    e2e::App app("[Status]\r\nStartWithWindows=0\r\n");
    const std::string before = e2e::fileText(app.iniPath());
    startPicking(app);
    app.click(Ctl::btnScan);
    const auto items = listItems(app.control(Ctl::lsbHandles));

    select(app, indexOf(items, evil.window()));
    e2e::check(label(app, Ctl::lblHandle).find("This class holds a line break") != std::string::npos,
               "a planted class is shown with why it cannot be kept", label(app, Ctl::lblHandle));
    app.postClick(Ctl::btnSet);
    HWND box = app.waitBox("Vigilamp Rizu!");
    e2e::check(box && e2e::App::boxText(box).find("the value of Handlename holds a line break") != std::string::npos,
               "Set refuses it, naming the key", box ? e2e::App::boxText(box) : "no box");
    if (box) e2e::App::answer(box, IDOK);
    e2e::waitFor([&] { return !app.findOwn("#32770"); }, 3000);
    app.send(Cmd::ShowMatchPage);
    e2e::check(e2e::unicodeText(app.control(Ctl::txtTitle)) == "Evil??[Actions]??Enable=1",
               "a planted title's line breaks become '?'", e2e::unicodeText(app.control(Ctl::txtTitle)));
    e2e::check(e2e::fileText(app.iniPath()) == before, "the settings file is byte for byte as it was");
    app.click(Ctl::btnTitleSet);
    e2e::check(e2e::iniValue(app.iniPath(), "Match", "Title") == "Evil??[Actions]??Enable=1" &&
                   e2e::iniValue(app.iniPath(), "Actions", "Enable") == "<missing>" &&
                   e2e::iniValue(app.iniPath(), "Actions", "File") == "<missing>",
               "the Match page's Set keeps the pattern and plants no key");

    const auto testedWindow = [&] {
        app.click(Ctl::btnTest);
        const std::string result = e2e::unicodeText(app.control(Ctl::lblTestResult));
        char handle[32];
        for (HWND w : {cafe.window(), russian.window(), cjk.window(), tall.window(), evil.window()}) {
            std::snprintf(handle, sizeof handle, "Handle: %08llX", static_cast<unsigned long long>(UINT_PTR(w)));
            if (result.rfind(handle, 0) == 0) return w;
        }
        return HWND(nullptr);
    };
    app.send(Cmd::ShowAdvancedPage);
    select(app, indexOf(items, cjk.window()));
    app.send(Cmd::ShowMatchPage);
    e2e::check(e2e::unicodeText(app.control(Ctl::txtTitle)) == "日本語", "a CJK title is picked whole",
               e2e::unicodeText(app.control(Ctl::txtTitle)));
    if (!app.checked(Ctl::cbxTitleEnable)) app.click(Ctl::cbxTitleEnable);
    e2e::check(testedWindow() == cjk.window(), "and fits exactly that window");
    app.postClick(Ctl::btnTitleSet);
    box = app.waitBox("Vigilamp Rizu!");
    e2e::check(box && e2e::App::boxText(box).find("which the system's code page (1252) lacks") != std::string::npos,
               "Set says the settings file cannot hold it, instead of keeping '?'",
               box ? e2e::App::boxText(box) : "no box");
    if (box) e2e::App::answer(box, IDOK);
    e2e::waitFor([&] { return !app.findOwn("#32770"); }, 3000);
    e2e::check(e2e::iniValue(app.iniPath(), "Match", "Title") == "Evil??[Actions]??Enable=1", "and keeps nothing");
    for (const auto& [pattern, window] : std::vector<std::pair<std::string, HWND>>{
             {"Caf?", cafe.window()}, {"CAFÉ", cafe.window()}, {"ПРИВЕТ", russian.window()}, {"???", cjk.window()}}) {
        app.type(Ctl::txtTitle, pattern);
        const HWND tested = testedWindow();
        e2e::check(tested == window, "Test with " + pattern + " fits exactly the right window",
                   e2e::unicodeText(app.control(Ctl::lblTestResult)));
    }
    app.send(Cmd::ShowAdvancedPage);
    select(app, indexOf(items, tall.window()));
    app.send(Cmd::ShowMatchPage);
    e2e::check(e2e::unicodeText(app.control(Ctl::txtTitle)) == longTitle, "a 300-character title is picked whole");
    e2e::check(testedWindow() == tall.window(), "and fits that window");
}

E2E_CASE(a_hung_window_does_not_hold_up_the_scan) {
    e2e::Target hung("VigilampSurveyHung", "Hung window", true);
    // The helper stops answering at the first message after its first second.
    e2e::waitFor([] { return false; }, 1200);
    PostMessageA(hung.window(), WM_NULL, 0, 0);
    DWORD_PTR result = 0;
    const bool answers = e2e::waitFor(
        [&] {
            return SendMessageTimeoutA(hung.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result) == 0;
        },
        3000);
    e2e::check(answers, "the helper's window no longer answers");
    e2e::App app;
    startPicking(app);
    const DWORD start = GetTickCount();
    app.click(Ctl::btnScan);
    const DWORD elapsed = GetTickCount() - start;
    // No window is asked for its title: the hung program costs nothing.
    e2e::check(elapsed < 1000, "Scan does not wait for it", std::to_string(elapsed) + " ms");
    const auto items = listItems(app.control(Ctl::lsbHandles));
    const int hungItem = indexOf(items, hung.window());
    e2e::check(hungItem >= 0 && items[static_cast<std::size_t>(hungItem)].text == "Hung window",
               "the hung window is listed with the title the system holds");
    e2e::check(items.size() > 1, "the other windows are listed", std::to_string(items.size()) + " items");
    e2e::check(indexOf(items, app.main()) < 0 && indexOf(items, GetWindow(app.main(), GW_OWNER)) < 0,
               "but never the program's own");
    app.click(Ctl::btnExecute);
    e2e::check(app.status() == "Vigilamp is active!", "the program goes on", app.status());
}

E2E_CASE(the_documentation_opens_the_manual_beside_the_executable_maximised) {
    StandInViewer viewer;
    e2e::App app;
    const std::string manual = app.folder() + "\\manual.mht";
    e2e::check(CopyFileA((e2e::here() + "\\manual.mht").c_str(), manual.c_str(), FALSE) != FALSE,
               "the built manual lies beside the executable");
    app.send(Cmd::OpenManual);
    const auto report = viewer.report(10000);
    e2e::check(report.size() == 3, "the viewer registered for .mht is started");
    if (report.size() != 3) return;
    e2e::check(samePath(report[0], manual), "with the manual's full path", report[0]);
    std::string folder = report[1];
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    e2e::check(samePath(folder, app.folder()), "in the executable's folder", report[1]);
    e2e::check(report[2] == std::to_string(SW_SHOWMAXIMIZED), "maximised", report[2]);
    const std::string head = e2e::fileText(manual).substr(0, 200);
    e2e::check(head.find("MIME-Version: 1.0") != std::string::npos &&
                   head.find("multipart/related") != std::string::npos,
               "the manual is a MIME HTML archive");
}

E2E_CASE(without_the_manual_the_documentation_shows_nothing) {
    StandInViewer viewer;
    e2e::App app;
    app.send(Cmd::OpenManual);
    e2e::check(viewer.report(1500).empty(), "no viewer is started");
    bool box = false;
    for (HWND w : app.topLevelWindows()) box |= e2e::className(w) == "#32770" && IsWindowVisible(w);
    e2e::check(!box, "and the program shows no message");
    app.click(Ctl::btnExecute);
    e2e::check(app.status() == "Vigilamp is active!", "the program goes on", app.status());
}

E2E_CASE(the_web_address_opens_with_a_slash_appended) {
    StandInViewer viewer;
    e2e::App app;
    app.send(Cmd::TrayShow);
    clickLabel(app, Ctl::lblURL);
    const auto report = viewer.report(10000);
    e2e::check(report.size() == 3 && report[0] == "http://www.vigilamp-rizu.example/",
               "the viewer registered for http opens the address", report.empty() ? "not started" : report[0]);
    if (report.size() == 3)
        e2e::check(report[2] == std::to_string(SW_SHOWMAXIMIZED), "maximised", report[2]);
}
