// End-to-end cases of the match rules: a title pattern that a window comes to fit, a hung window that fits it,
// the Match page (its settings, the Test button, the attention option Wine cannot offer) and watching from
// start-up. Every other case runs from a settings file without [Match], as files written before it.
#include "e2e.h"

using vr::Cmd;
using vr::Ctl;

namespace {

// Watches the class with a one-second delay, scan and flash, Scroll Lock in the pattern and the window left
// alone; the Match lines go in as given.
std::string iniWatching(const char* cls, const char* match) {
    return std::string("[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\nScanInterval=1000\r\n"
                       "[Lighting]\r\nLightingInterval=1000\r\n[FlashingPat]\r\nCaps=0\r\nNum=0\r\nScr=1\r\n"
                       "[Actions]\r\nNothing=1\r\nMinimise=0\r\n[Advanced]\r\nHandlename=") +
           cls + "\r\n[Match]\r\n" + match;
}

bool scrollFlashes(DWORD ms) { return e2e::waitFor([] { return e2e::lockOn(VK_SCROLL); }, ms); }

}  // namespace

E2E_CASE(a_title_pattern_alerts_once_the_title_fits_and_a_hung_window_does_not_delay_it) {
    e2e::setLock(VK_SCROLL, false);
    {
        e2e::Target target("VigilampTitled", "Inbox");
        e2e::App app(iniWatching("VigilampTitled", "Title=(*)*\r\nTitleEnable=1\r\n"));
        app.click(Ctl::btnExecute);
        e2e::check(!scrollFlashes(4000), "the class alone no longer raises the alert");
        SetWindowTextA(target.window(), "(1) Inbox");
        const DWORD start = GetTickCount();
        const bool flashed = scrollFlashes(4000);
        e2e::check(flashed, "the title \"(1) Inbox\" fits \"(*)*\": the alert flashes",
                   std::to_string(GetTickCount() - start) + " ms after the title changed");
        app.click(Ctl::btnDisable);
        e2e::setLock(VK_SCROLL, false);
    }
    {
        // The helper stops answering a second after it starts; its title stays where the system keeps it.
        e2e::Target target("VigilampHungTitled", "(2) Hung", true);
        e2e::waitFor([] { return false; }, 1200);
        PostMessageA(target.window(), WM_NULL, 0, 0);  // the first message after its second: it hangs there
        e2e::waitFor([] { return false; }, 300);
        DWORD_PTR ignored = 0;
        e2e::check(!SendMessageTimeoutA(target.window(), WM_NULL, 0, 0, SMTO_NORMAL, 500, &ignored),
                   "the helper window no longer answers");
        e2e::App app(iniWatching("VigilampHungTitled", "Title=(*)*\r\nTitleEnable=1\r\n"));
        const DWORD start = GetTickCount();
        app.click(Ctl::btnExecute);
        const bool flashed = scrollFlashes(5000);
        e2e::check(flashed, "a hung window that fits raises the alert after delay, scan and flash",
                   std::to_string(GetTickCount() - start) + " ms");
        DWORD_PTR result = 0;
        const DWORD asked = GetTickCount();
        const bool answered = SendMessageTimeoutA(app.main(), WM_COMMAND, static_cast<WPARAM>(Cmd::Disable), 0,
                                                  SMTO_NORMAL, 1000, &result) != 0;
        e2e::check(answered, "and the program answers at once", std::to_string(GetTickCount() - asked) + " ms");
    }
    e2e::setLock(VK_SCROLL, false);
}

E2E_CASE(the_match_page_keeps_its_rule_tests_it_and_says_why_attention_is_unavailable) {
    e2e::Target target("VigilampMatchPage", "(3) Mail");
    std::string ini;
    {
        e2e::App app("[Status]\r\nStartWithWindows=0\r\n");
        app.send(Cmd::TrayShow);
        app.send(Cmd::ShowMatchPage);
        e2e::check(IsWindowVisible(app.control(Ctl::lblMatch)) != 0, "Vigilamp > Match shows the page");
        e2e::check(e2e::text(app.control(Ctl::lblMatchClass)) == "IMWindowClass", "showing the class in use");
        e2e::check(!IsWindowEnabled(app.control(Ctl::cbxAttention)) &&
                       e2e::text(app.control(Ctl::lblAttentionState)).rfind("Not available on this system: ", 0) == 0,
                   "the attention option is shown unavailable, with the reason",
                   e2e::text(app.control(Ctl::lblAttentionState)));
        app.click(Ctl::btnTest);
        e2e::check(e2e::text(app.control(Ctl::lblTestResult)) == "No window matches.", "Test: nothing matches",
                   e2e::text(app.control(Ctl::lblTestResult)));

        // The rule "any class, a title with a count", built on the page and kept with its Set button.
        app.send(Cmd::ShowAdvancedPage);
        app.click(Ctl::cbxEnableAdvanced);  // no class until one is picked: any class for a title rule
        app.click(Ctl::btnSet);
        app.send(Cmd::ShowMatchPage);
        app.click(Ctl::cbxTitleEnable);
        app.setText(Ctl::txtTitle, "(?) Mail");
        app.click(Ctl::btnTest);
        const std::string result = e2e::text(app.control(Ctl::lblTestResult));
        e2e::check(result.find("Class: VigilampMatchPage\r\nTitle: (3) Mail") != std::string::npos,
                   "Test shows the window that fits now", result);
        e2e::waitFor([] { return false; }, 300);
        e2e::screenshot(app.main(), "page-Match-rule");
        app.click(Ctl::btnTitleSet);
        e2e::check(e2e::iniValue(app.iniPath(), "Match", "Title") == "(?) Mail" &&
                       e2e::iniValue(app.iniPath(), "Match", "TitleEnable") == "1",
                   "Set stores the pattern and its box", e2e::iniValue(app.iniPath(), "Match", "Title"));
        app.click(Ctl::cbxWatchAtStart);
        e2e::check(e2e::iniValue(app.iniPath(), "Match", "WatchAtStart") == "1", "the start-up box stores itself");
        const auto stored = [&](const char* section, const char* key) {
            return std::string(key) + "=" + e2e::iniValue(app.iniPath(), section, key) + "\r\n";
        };
        ini = "[Advanced]\r\n" + stored("Advanced", "Handlename") + "[Match]\r\n" + stored("Match", "Title") +
              stored("Match", "TitleEnable") + stored("Match", "WatchAtStart");
    }
    // Started again with what it stored: watching from the start finds the window after delay + scan, no click.
    e2e::setLock(VK_SCROLL, false);
    e2e::App again(ini + "[Status]\r\nStartWithWindows=0\r\n[Timers]\r\nDelayValue=1000\r\n"
                         "[FlashingPat]\r\nCaps=0\r\nNum=0\r\nScr=1\r\n[Actions]\r\nNothing=1\r\nMinimise=0\r\n");
    e2e::check(again.status() == "Vigilamp is active!", "start-up ends watching", again.status());
    e2e::check(again.checked(Ctl::cbxTitleEnable) && e2e::text(again.control(Ctl::txtTitle)) == "(?) Mail",
               "the rule is loaded");
    e2e::check(scrollFlashes(5000), "and the window open at start-up raises the alert");
    again.click(Ctl::btnDisable);
    e2e::setLock(VK_SCROLL, false);
}
