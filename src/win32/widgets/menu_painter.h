// The flat office look of a menu bar and its drop-downs: every item is owner-drawn in Tahoma 8 pt, with a
// shaded gutter for the check and radio glyphs, a framed highlight, and separators that fade out at both ends.
// The system still runs the menus, so Alt, the arrows, Enter and Esc work as in any menu; typing an item's
// first letter, which the system cannot do for owner-drawn items, is answered from WM_MENUCHAR.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
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
    struct Item {
        std::string text;  // empty for a separator
        bool onBar = false, separator = false, submenu = false;
    };
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
