// The layout tables: each control once, parents before their children, texts where the window needs them.
#include <gtest/gtest.h>

#include <set>

#include "model/layout.h"

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
    EXPECT_EQ(seen.size(), 16u + 11u + 12u + 21u + 13u + 20u);
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

TEST(Layout, TheMenuBarHasThreeMenusWithTheirItems) {
    std::vector<std::string> menus;
    int items = 0, separators = 0;
    for (const MenuRow& row : menuBarTable()) {
        if (row.depth == 0) menus.push_back(row.text);
        else if (row.text) ++items;
        else ++separators;
    }
    EXPECT_EQ(menus, (std::vector<std::string>{"Vigilamp", "Status", "Help"}));
    EXPECT_EQ(items, 8 + 3 + 2);
    EXPECT_EQ(separators, 1);
}

}  // namespace
}  // namespace vr
