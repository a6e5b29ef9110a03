// The flat office look of a menu bar and its drop-downs: every item is owner-drawn in Tahoma 8 pt, with a
// shaded gutter for the check and radio glyphs, a framed highlight, and separators that fade out at both ends.
// The system still runs the menus, so Alt, the arrows, Enter and Esc work as in any menu; typing an item's
// first letter, which the system cannot do for owner-drawn items, is answered from WM_MENUCHAR. Screen readers
// and other programs still learn each item's name: the item keeps its string, and its data starts with the
// MSAAMENUINFO that accessibility clients read from an owner-drawn item.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <cstddef>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace vr::win32 {

class MenuPainter {
public:
    explicit MenuPainter(int dpi);
    ~MenuPainter();
    MenuPainter(const MenuPainter&) = delete;
    MenuPainter& operator=(const MenuPainter&) = delete;

    // Makes every item of the bar and of its drop-downs (at any depth) owner-drawn by this painter.
    void adopt(HMENU bar);

    // The window's answers for the menus it owns; each returns false for what is not one of its items.
    bool measure(MEASUREITEMSTRUCT& item) const;
    bool draw(const DRAWITEMSTRUCT& item) const;
    // WM_MENUCHAR: the next item, after the highlighted one, whose text starts with the letter typed.
    LRESULT menuChar(char letter, HMENU menu) const;

private:
    // What an item's dwItemData points to. Accessibility clients take the data of an owner-drawn item for an
    // MSAAMENUINFO, so that comes first and names the item in UTF-16; the rest is the painter's own.
    struct Item {
        MSAAMENUINFO accessible{};
        std::wstring name;  // what accessible.pszWText points to
        std::string text;   // empty for a separator
        bool onBar = false, separator = false, submenu = false;
    };
    // Readers cast the item data to MSAAMENUINFO*: sound only at offset 0 of a standard-layout struct.
    static_assert(std::is_standard_layout_v<Item> && offsetof(Item, accessible) == 0);
#if defined(_WIN64)
    static_assert(sizeof(MSAAMENUINFO) == 16 && offsetof(MSAAMENUINFO, pszWText) == 8);
#else
    static_assert(sizeof(MSAAMENUINFO) == 12 && offsetof(MSAAMENUINFO, pszWText) == 8);
#endif
    void adoptItems(HMENU menu, bool bar);
    void drawBarItem(HDC dc, RECT box, const Item& item, UINT state) const;
    void drawDropItem(HDC dc, RECT box, const Item& item, UINT state, HMENU menu, UINT id) const;
    void drawSeparator(HDC dc, const RECT& box) const;
    void drawCheck(HDC dc, const RECT& gutter, bool radio, COLORREF color) const;
    void drawArrow(HDC dc, const RECT& box, COLORREF color) const;
    int px(int pixels) const { return MulDiv(pixels, dpi_, 96); }

    int dpi_;
    HFONT font_, boldFont_;
    std::vector<std::unique_ptr<Item>> items_;  // the items' data, owned here for the menus' lifetime
};

}  // namespace vr::win32
