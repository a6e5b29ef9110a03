// The main form's Match page: the title pattern, the attention option, watching from start-up and the test of
// the rule. The scan reads the rule from the model at every tick, so a change here takes effect at the next one;
// the page's Set button stores the pattern.
#include <cstdio>

#include "form/main_form.h"

namespace vr {

namespace {

constexpr const char* kNoMatch = "No window matches.";
constexpr const char* kNamesNoWindow =
    "The rule names no window (no class, no title pattern): only a window that asks for attention can raise "
    "the alert.";
constexpr const char* kNotAvailable = "Not available on this system: ";

}  // namespace

void MainForm::cbxTitleEnableClick() { model.setEnabled(Ctl::txtTitle, model.checked(Ctl::cbxTitleEnable)); }

void MainForm::cbxAttentionClick() {
    if (!loading_) store(Key::Attention);
}

void MainForm::cbxWatchAtStartClick() {
    if (!loading_) store(Key::WatchAtStart);
}

void MainForm::btnTestClick() {
    const WindowRule rule = windowRule(model);
    if (rule.empty()) return model.setText(Ctl::lblTestResult, kNamesNoWindow);
    const WindowHandle window = windows_.find(rule);
    const auto className = window ? windows_.classOf(window) : std::nullopt;
    const auto title = window ? windows_.titleOf(window) : std::nullopt;
    if (!className || !title) return model.setText(Ctl::lblTestResult, kNoMatch);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%08llX", static_cast<unsigned long long>(window));
    model.setText(Ctl::lblTestResult, std::string("Handle: ") + handle + "\r\nClass: " + *className +
                                          "\r\nTitle: " + *title);
}

void MainForm::showDesktopState() {
    const LampRoute route = lamps_.route();
    const char* lamps = route == LampRoute::keyboardDriver  ? "through the keyboard driver"
                        : route == LampRoute::xkbIndicators ? "through the X keyboard extension"
                        : route == LampRoute::ledService    ? "through the system's LED service"
                                                            : "the lock keys are switched, no lamp alone";
    const bool attention = !events_.attentionUnavailable();
    model.setText(Ctl::lblDesktop, "Windows: " + windows_.reach() + ". Lamps: " + lamps + ". Attention: " +
                                       (attention ? "reported." : "not reported here."));
    model.setText(Ctl::lblActionLimits, windows_.limits());
}

void MainForm::showAttentionState() {
    const auto why = events_.attentionUnavailable();
    model.setEnabled(Ctl::cbxAttention, !why);
    model.setText(Ctl::lblAttentionState, why ? kNotAvailable + *why : std::string());
}

void MainForm::windowAsksForAttention(WindowHandle window) {
    dispatch([&] {
        if (!model.checked(Ctl::cbxAttention) || !watch.watching()) return;
        if (windows_.fits(window, windowRule(model))) watch.attention(window);
    });
}

}  // namespace vr
