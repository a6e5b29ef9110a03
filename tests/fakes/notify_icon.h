// Fakes of the notify icon's platform: the shell's notification area and the icon's hidden window.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "win32/adapters/notify_icon.h"

namespace vr::fake {

using win32::IconHandle;
using win32::MenuHandle;
using win32::ScreenPoint;
using win32::TrayRecord;

// The notification area: it keeps the icons it was given, by window and id, as the shell does.
class TrayShell : public win32::TrayShell {
public:
    struct Call {
        std::string op;  // "add", "modify" or "remove"
        TrayRecord record;
        bool ok;
    };
    bool running = true;  // false: no taskbar yet (log-on) or the shell has died; every call fails
    std::vector<Call> calls;
    std::map<std::pair<WindowHandle, unsigned>, TrayRecord> icons;

    bool add(const TrayRecord& r) override {
        const bool ok = running && !icons.count(key(r));
        if (ok) icons[key(r)] = r;
        return log("add", r, ok);
    }
    bool modify(const TrayRecord& r) override {
        const bool ok = running && icons.count(key(r));
        if (ok) icons[key(r)] = r;
        return log("modify", r, ok);
    }
    bool remove(const TrayRecord& r) override { return log("remove", r, running && icons.erase(key(r))); }

    // The shell restarts: its new taskbar knows no icons.
    void restart() {
        icons.clear();
        running = true;
    }
    std::vector<std::string> ops() const {
        std::vector<std::string> out;
        for (const Call& c : calls) out.push_back(c.op);
        return out;
    }

private:
    static std::pair<WindowHandle, unsigned> key(const TrayRecord& r) { return {r.window, r.id}; }
    bool log(const char* op, const TrayRecord& r, bool ok) {
        calls.push_back({op, r, ok});
        return ok;
    }
};

// The icon's hidden window. Posted tip messages wait in a queue until the test runs the message loop.
class TrayWindow : public win32::TrayWindow {
public:
    WindowHandle window = 0x5150;
    ScreenPoint pointer{640, 1000};
    int postedTips = 0;
    bool retrying = false;
    std::vector<bool> appShows;  // every show or hide of the application's taskbar window
    struct PopUp {
        MenuHandle menu;
        ScreenPoint at;
    };
    std::vector<PopUp> popUps;
    std::vector<std::string> steps;  // "cursor", "popUp", in order, for the right-click steps

    WindowHandle handle() override { return window; }
    void postTipMessage() override { ++postedTips; }
    void retryTimer(bool on) override { retrying = on; }
    void showApplication(bool show) override { appShows.push_back(show); }
    ScreenPoint cursor() override {
        steps.push_back("cursor");
        return pointer;
    }
    void popUp(MenuHandle menu, ScreenPoint at) override {
        steps.push_back("popUp");
        popUps.push_back({menu, at});
    }
};

}  // namespace vr::fake
