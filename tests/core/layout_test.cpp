// The layout tables: each control once, parents before their children, texts where the window needs them.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string_view>

#include "model/layout.h"
#include "model/menus.h"
#include "model/model.h"

namespace vr {
namespace {

TEST(Layout, EveryControlAppearsOnceAndAfterItsParent) {
    std::set<Ctl> seen;
    int pages = 0;
    for (const PageTable& table : pageTables()) {
        EXPECT_EQ(static_cast<int>(table.page), pages++);
        for (const ControlRow& row : table.rows) {
            EXPECT_TRUE(seen.insert(row.id).second) << static_cast<int>(row.id);
            if (row.parent != Ctl::none) {
                EXPECT_TRUE(seen.count(row.parent)) << static_cast<int>(row.id);
            }
        }
    }
    EXPECT_EQ(pages, 6);
}

TEST(Layout, TheStatusButtonsStandExecuteResetDisableButTabExecuteDisableReset) {
    std::vector<std::pair<Ctl, int>> buttons;
    for (const ControlRow& row : pageTables()[0].rows)
        if (row.kind == Kind::Button) buttons.push_back({row.id, row.x});
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].first, Ctl::btnExecute);
    EXPECT_EQ(buttons[1].first, Ctl::btnDisable);
    EXPECT_EQ(buttons[2].first, Ctl::btnReset);
    EXPECT_LT(buttons[0].second, buttons[2].second);
    EXPECT_LT(buttons[2].second, buttons[1].second);
}

// A keyboard user reaches every item of a menu by its own key: no two items of one menu, and no two menus of the
// bar, share one.
TEST(Menus, EveryCaptionHasAnAccessKeyOfItsOwnWithinItsMenu) {
    const auto keyOf = [](const std::string& caption) {
        const auto amp = caption.find('&');
        return amp == std::string::npos || amp + 1 == caption.size() ? '\0' : char(std::tolower(caption[amp + 1]));
    };
    const auto uniqueKeys = [&](const std::vector<std::string>& captions) {
        std::set<char> keys;
        for (const std::string& caption : captions)
            if (!caption.empty() && (keyOf(caption) == '\0' || !keys.insert(keyOf(caption)).second)) return caption;
        return std::string();
    };
    const auto bar = menuBar();
    std::vector<std::string> titles;
    for (const Menu& menu : bar) {
        titles.push_back(menu.caption);
        std::vector<std::string> items;
        for (const MenuItem& item : menu.items) items.push_back(item.caption);
        EXPECT_EQ(uniqueKeys(items), "") << "in " << plainCaption(menu.caption);
    }
    EXPECT_EQ(uniqueKeys(titles), "");
    std::vector<std::string> tray;
    for (const MenuItem& item : trayMenu()) tray.push_back(item.caption);
    EXPECT_EQ(uniqueKeys(tray), "");
    EXPECT_EQ(tray, (std::vector<std::string>{"&Show Vigilamp Rizu!", "", "&Execute", "&Reset", "&Disable", "",
                                              "E&xit"}))
        << "a letter taken earlier in the menu moves the key on";
    EXPECT_TRUE(trayMenu().front().isDefault);

    EXPECT_EQ(withAccessKeys(std::vector<std::string_view>{"Abc", "aBC", "ABc", "--"}),
              (std::vector<std::string>{"&Abc", "a&BC", "AB&c", "--"}));
    EXPECT_EQ(plainCaption("A&dvanced"), "Advanced");
    EXPECT_EQ(plainCaption("Fish && &Chips"), "Fish & Chips");
}

TEST(Description, LabelsFitTheirTextAndTheWindowCentresWhereTheDesktopLeavesRoom) {
    const ControlRow plain{Kind::Label, Ctl::lblCaps, Ctl::none, "", 32, 40, 68, 15, Font::Plain, None};
    const ControlRow atLeast{Kind::Label, Ctl::lblClassname, Ctl::none, "", 430, 168, 183, 15, Font::Plain, MinWidth};
    const ControlRow right{Kind::Label, Ctl::lblWarning, Ctl::none, "", 533, 10, 94, 15, Font::Plain, RightAlign};
    const ControlRow wrapped{Kind::Label, Ctl::lblInit, Ctl::none, "", 4, 16, 274, 30, Font::Note, Wrap};
    EXPECT_EQ(fittedLabel(plain, {64, 80, 136, 30}, 40, 32, 2.0), (Box{64, 80, 40, 32})) << "to the text";
    EXPECT_EQ(fittedLabel(atLeast, {860, 336, 366, 30}, 40, 30, 2.0), (Box{860, 336, 366, 30}));
    EXPECT_EQ(fittedLabel(atLeast, {860, 336, 366, 30}, 500, 30, 2.0), (Box{860, 336, 500, 30}));
    EXPECT_EQ(fittedLabel(right, {533, 10, 94, 15}, 120, 15, 1.0), (Box{507, 10, 120, 15})) << "right edge kept";
    EXPECT_EQ(fittedLabel(wrapped, {4, 16, 274, 30}, 900, 15, 1.0), (Box{4, 16, 274, 30})) << "its own box";
    EXPECT_EQ(centred({0, 30, 1920, 1170}, 692, 321), (Box{614, 454, 692, 321}));
}

TEST(Description, TheFocusEntersAPageAtItsFirstEnabledControlInTabOrderAndCaptionsFollowThePlatform) {
    Model windows;
    EXPECT_EQ(windows.firstFocusable(Page::Status), Ctl::cbxDisableStat) << "inside its group, first in tab order";
    EXPECT_EQ(windows.firstFocusable(Page::Timers), Ctl::spnDelay);
    EXPECT_EQ(windows.firstFocusable(Page::Lighting), Ctl::btnFlashSet) << "the Set button is first in its group";
    EXPECT_EQ(windows.firstFocusable(Page::Actions), Ctl::rbnMinimise);
    EXPECT_EQ(windows.firstFocusable(Page::Advanced), Ctl::cbxEnableAdvanced) << "the list, Scan and Set are off";
    windows.setEnabled(Ctl::lsbHandles, true);
    EXPECT_EQ(windows.firstFocusable(Page::Advanced), Ctl::lsbHandles);
    EXPECT_EQ(windows.text(Ctl::cbxStart), "Start with Windows");
    Model linux(Platform::linuxDesktop);
    EXPECT_EQ(linux.text(Ctl::cbxStart), "Start at login");
    EXPECT_EQ(linux.text(Ctl::lblSupport).find("GStreamer") != std::string::npos, true);
    EXPECT_TRUE(fontSpec(Font::Url).coloured && fontSpec(Font::Warning).coloured && !fontSpec(Font::Plain).coloured);
}

}  // namespace
}  // namespace vr
