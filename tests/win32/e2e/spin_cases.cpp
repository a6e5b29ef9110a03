// End-to-end cases of the spin edits on the Timers and Lighting pages: what typing lets in, and how the arrows
// and the Up and Down keys step the value. Keys arrive as a user's do, posted to the edit through the program's
// message loop; the arrows are clicked where they stand in the up-down control inside the edit.
#include "e2e.h"

#include <commctrl.h>

using vr::Cmd;
using vr::Ctl;

namespace {

void type(HWND edit, const std::string& keys) {
    for (char c : keys) PostMessageA(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
}

void key(HWND edit, UINT vk) {
    PostMessageA(edit, WM_KEYDOWN, vk, 1);
    PostMessageA(edit, WM_KEYUP, vk, 0xC0000001);
}

// A click on the upper (up) or lower (down) arrow of the spin edit's up-down control.
void arrow(HWND edit, bool up) {
    HWND arrows = FindWindowExA(edit, nullptr, UPDOWN_CLASSA, nullptr);
    RECT r;
    GetClientRect(arrows, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
    PostMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(arrows, WM_LBUTTONUP, 0, at);
}

// Checks the edit's text once it reads as expected (posted keys are still on their way when it is asked).
void expectText(HWND edit, const std::string& expected, const std::string& what) {
    e2e::waitFor([&] { return e2e::text(edit) == expected; }, 2000);
    const std::string now = e2e::text(edit);
    e2e::check(now == expected, what, now);
}

// Returns once the program has handled every message posted to the edit so far: a selection posted after
// them has arrived.
void drain(HWND edit) {
    PostMessageA(edit, EM_SETSEL, 1, 1);
    e2e::waitFor([&] { return SendMessageA(edit, EM_GETSEL, 0, 0) == MAKELONG(1, 1); }, 2000);
}

bool wholeTextSelected(HWND edit) {
    const DWORD selection = DWORD(SendMessageA(edit, EM_GETSEL, 0, 0));
    return LOWORD(selection) == 0 && HIWORD(selection) == e2e::text(edit).size() && !e2e::text(edit).empty();
}

void caretAtEnd(HWND edit) {
    const WPARAM end = e2e::text(edit).size();
    SendMessageA(edit, EM_SETSEL, end, LPARAM(end));
}

}  // namespace

E2E_CASE(spin_edit_lets_in_digits_signs_and_the_separator_only) {
    e2e::App app;
    app.send(Cmd::TrayShow);
    app.send(Cmd::ShowTimersPage);
    HWND delay = app.control(Ctl::spnDelay);
    char separator[8] = ".";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);

    SendMessageA(delay, WM_SETTEXT, 0, LPARAM(""));
    // Each accepted character after refused ones proves those were handled and left nothing.
    type(delay, "a1Z 2x;3/4");
    expectText(delay, "1234", "letters, a space and punctuation are refused, digits taken");
    // Past ASCII: e acute, and the en dash, single angle quote, per mille sign and left double quote, whose
    // UTF-16 codes (U+2013, U+2039, U+2030, U+201C) end in the byte of a control character or a digit.
    type(delay, "\xE9\x96\x8B\x89\x93" "5");
    expectText(delay, "12345", "and so are characters past ASCII, even those whose low byte is a digit");
    type(delay, std::string("-+") + separator[0] + "6");
    const std::string signed_ = std::string("12345-+") + separator[0] + "6";
    expectText(delay, signed_, "both signs and the locale's decimal separator are taken");
    type(delay, "\b\b");  // control characters still edit: two backspaces
    expectText(delay, signed_.substr(0, signed_.size() - 2), "and Backspace still erases");

    // The filter belongs to every spin edit, not only the first.
    HWND flashing = app.control(Ctl::spnFlashing);
    SendMessageA(flashing, WM_SETTEXT, 0, LPARAM("1"));
    caretAtEnd(flashing);
    type(flashing, "q\x89" "0w");
    expectText(flashing, "10", "the flashing interval's spin edit filters alike");
}

E2E_CASE(spin_edit_steps_by_its_increment_selects_all_and_holds_at_the_32_bit_bounds) {
    e2e::App app;
    app.send(Cmd::TrayShow);
    app.send(Cmd::ShowTimersPage);
    HWND delay = app.control(Ctl::spnDelay);
    e2e::check(FindWindowExA(delay, nullptr, UPDOWN_CLASSA, nullptr) != nullptr, "the arrows stand inside the edit");

    SendMessageA(delay, WM_SETTEXT, 0, LPARAM("1500"));
    caretAtEnd(delay);
    key(delay, VK_UP);
    expectText(delay, "2500", "Up adds the increment of 1000");
    e2e::check(e2e::waitFor([&] { return wholeTextSelected(delay); }, 1000), "and selects the whole text");
    caretAtEnd(delay);
    key(delay, VK_DOWN);
    key(delay, VK_DOWN);
    expectText(delay, "500", "Down twice takes it off twice, below the interval's minimum too");
    e2e::check(e2e::waitFor([&] { return wholeTextSelected(delay); }, 1000), "selecting the whole text");

    caretAtEnd(delay);
    arrow(delay, true);
    expectText(delay, "1500", "the up arrow adds the increment");
    e2e::check(e2e::waitFor([&] { return wholeTextSelected(delay); }, 1000), "and selects the whole text");
    arrow(delay, false);
    arrow(delay, false);
    expectText(delay, "-500", "the down arrow takes it off, on past zero");

    // The 32-bit bounds hold, from keys and arrows alike; a value beyond them steps from the bound.
    SendMessageA(delay, WM_SETTEXT, 0, LPARAM("2147483000"));
    key(delay, VK_UP);
    arrow(delay, true);
    key(delay, VK_UP);
    drain(delay);
    expectText(delay, "2147483647", "Up, the up arrow and Up again stop at 2147483647");
    SendMessageA(delay, WM_SETTEXT, 0, LPARAM("-2147483000"));
    arrow(delay, false);
    key(delay, VK_DOWN);
    arrow(delay, false);
    drain(delay);
    expectText(delay, "-2147483648", "the down arrow, Down and the down arrow again stop at -2147483648");
    SendMessageA(delay, WM_SETTEXT, 0, LPARAM("99999999999"));
    key(delay, VK_DOWN);
    expectText(delay, "2147482647", "a value past the top steps down from 2147483647");

    // No number at all steps from the interval's minimum (1000 for each).
    for (Ctl spin : {Ctl::spnDelay, Ctl::spnScan, Ctl::spnFlashing}) {
        HWND edit = app.control(spin);
        SendMessageA(edit, WM_SETTEXT, 0, LPARAM(""));
        key(edit, VK_UP);
        expectText(edit, "2000", "spin " + std::to_string(int(spin)) + ": empty, Up gives 2000");
    }
}
