#include "win32/widgets/menu_painter.h"

#include <algorithm>
#include <cctype>

#include "win32/windows/win32_util.h"

namespace vr::win32 {

namespace {

// a and b mixed: weight of a in 0..256.
COLORREF mix(COLORREF a, COLORREF b, int weight) {
    const auto channel = [&](int shift) {
        return ((((a >> shift) & 0xFF) * weight + ((b >> shift) & 0xFF) * (256 - weight)) >> 8) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

COLORREF sys(int index) { return GetSysColor(index); }
COLORREF highlightFill() { return mix(sys(COLOR_HIGHLIGHT), sys(COLOR_WINDOW), 80); }
COLORREF dropBackground() { return mix(sys(COLOR_WINDOW), sys(COLOR_BTNFACE), 200); }

void fill(HDC dc, const RECT& box, COLORREF color) {
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

void frame(HDC dc, const RECT& box, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(dc, &box, brush);
    DeleteObject(brush);
}

TRIVERTEX vertex(LONG x, LONG y, COLORREF c) {
    return {x, y, COLOR16(GetRValue(c) << 8), COLOR16(GetGValue(c) << 8), COLOR16(GetBValue(c) << 8), 0};
}

// A left-to-right gradient over box.
void gradient(HDC dc, const RECT& box, COLORREF from, COLORREF to) {
    TRIVERTEX ends[2] = {vertex(box.left, box.top, from), vertex(box.right, box.bottom, to)};
    GRADIENT_RECT span{0, 1};
    GradientFill(dc, ends, 2, &span, 1, GRADIENT_FILL_RECT_H);
}

// The letter that selects an item: the one after "&" when the text marks one, otherwise the first.
char accessKey(const std::string& text) {
    const auto amp = text.find('&');
    const char c = amp != std::string::npos && amp + 1 < text.size() ? text[amp + 1] : text.empty() ? 0 : text[0];
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

MenuPainter::MenuPainter(int dpi) : dpi_(dpi) {
    font_ = createFont({"Tahoma", 8}, dpi);
    boldFont_ = createFont({"Tahoma", 8, FW_BOLD}, dpi);
}

MenuPainter::~MenuPainter() {
    DeleteObject(font_);
    DeleteObject(boldFont_);
}

void MenuPainter::adopt(HMENU bar) {
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = GetSysColorBrush(COLOR_BTNFACE);  // the bar beyond its last menu
    SetMenuInfo(bar, &info);
    adoptItems(bar, true);
}

void MenuPainter::adoptItems(HMENU menu, bool bar) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, UINT(i), TRUE, &info)) continue;
        auto item = std::make_unique<Item>();
        item->onBar = bar;
        item->separator = (info.fType & MFT_SEPARATOR) != 0;
        item->submenu = info.hSubMenu != nullptr;
        if (!item->separator) item->text = text;
        item->name = widen(item->text);
        item->accessible.dwMSAASignature = MSAA_MENU_SIG;
        item->accessible.cchWText = DWORD(item->name.size());
        item->accessible.pszWText = item->name.data();
        if (info.hSubMenu) adoptItems(info.hSubMenu, false);

        // The type becomes owner-drawn through MIIM_FTYPE, which leaves the string alone, and the string is given
        // again with MIIM_STRING: GetMenuString and whatever reads the menu still get each item's text.
        MENUITEMINFOA owner{};
        owner.cbSize = sizeof owner;
        owner.fMask = MIIM_FTYPE | MIIM_DATA | (item->separator ? 0 : MIIM_STRING);
        owner.fType = (info.fType & (MFT_SEPARATOR | MFT_RADIOCHECK | MFT_RIGHTJUSTIFY)) | MFT_OWNERDRAW;
        owner.dwItemData = reinterpret_cast<ULONG_PTR>(item.get());
        owner.dwTypeData = text;
        SetMenuItemInfoA(menu, UINT(i), TRUE, &owner);
        items_.push_back(std::move(item));
    }
}

bool MenuPainter::measure(MEASUREITEMSTRUCT& m) const {
    if (m.CtlType != ODT_MENU) return false;
    const auto* item = reinterpret_cast<const Item*>(m.itemData);
    if (std::none_of(items_.begin(), items_.end(), [&](auto& p) { return p.get() == item; })) return false;
    if (item->separator) {
        m.itemWidth = 0;
        m.itemHeight = UINT(px(5));
        return true;
    }
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_);
    RECT text{};
    DrawTextA(dc, item->text.c_str(), -1, &text, DT_SINGLELINE | DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (item->onBar) {
        m.itemWidth = UINT(text.right + px(12));
        m.itemHeight = UINT(GetSystemMetrics(SM_CYMENU) - 1);
    } else {
        m.itemWidth = UINT(px(24) + px(8) + text.right + px(24));
        m.itemHeight = UINT(std::max<LONG>(px(20), text.bottom + px(6)));
    }
    return true;
}

bool MenuPainter::draw(const DRAWITEMSTRUCT& d) const {
    if (d.CtlType != ODT_MENU) return false;
    const auto* item = reinterpret_cast<const Item*>(d.itemData);
    if (std::none_of(items_.begin(), items_.end(), [&](auto& p) { return p.get() == item; })) return false;
    const int saved = SaveDC(d.hDC);
    SelectObject(d.hDC, (d.itemState & ODS_DEFAULT) ? boldFont_ : font_);
    SetBkMode(d.hDC, TRANSPARENT);
    if (item->onBar)
        drawBarItem(d.hDC, d.rcItem, *item, d.itemState);
    else
        drawDropItem(d.hDC, d.rcItem, *item, d.itemState, reinterpret_cast<HMENU>(d.hwndItem), d.itemID);
    RestoreDC(d.hDC, saved);
    // The system draws its own arrow after an owner-drawn item that opens a submenu; ours is already there.
    if (item->submenu && !item->onBar)
        ExcludeClipRect(d.hDC, d.rcItem.left, d.rcItem.top, d.rcItem.right, d.rcItem.bottom);
    return true;
}

void MenuPainter::drawBarItem(HDC dc, RECT box, const Item& item, UINT state) const {
    COLORREF text = sys(COLOR_MENUTEXT);
    if (state & ODS_SELECTED) {  // its drop-down is open: a tab joined to it
        fill(dc, box, dropBackground());
        frame(dc, box, sys(COLOR_BTNSHADOW));
        text = sys(COLOR_WINDOWTEXT);
    } else if (state & ODS_HOTLIGHT) {
        fill(dc, box, highlightFill());
        frame(dc, box, sys(COLOR_HIGHLIGHT));
        text = sys(COLOR_WINDOWTEXT);
    } else {
        fill(dc, box, sys(COLOR_BTNFACE));
    }
    if (state & (ODS_GRAYED | ODS_DISABLED)) text = sys(COLOR_GRAYTEXT);
    SetTextColor(dc, text);
    DrawTextA(dc, item.text.c_str(), -1, &box,
              DT_SINGLELINE | DT_CENTER | DT_VCENTER | ((state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0));
}

void MenuPainter::drawDropItem(HDC dc, RECT box, const Item& item, UINT state, HMENU menu, UINT id) const {
    RECT gutter = box;
    gutter.right = box.left + px(24);
    RECT rest = box;
    rest.left = gutter.right;
    gradient(dc, gutter, sys(COLOR_WINDOW), sys(COLOR_BTNFACE));
    fill(dc, rest, dropBackground());
    if (item.separator) {
        drawSeparator(dc, box);
        return;
    }

    const bool grayed = state & (ODS_GRAYED | ODS_DISABLED);
    COLORREF text = grayed ? sys(COLOR_GRAYTEXT) : sys(COLOR_MENUTEXT);
    if (state & ODS_SELECTED) {
        RECT hot = box;
        InflateRect(&hot, -px(1), 0);
        if (!grayed) {
            fill(dc, hot, highlightFill());
            text = sys(COLOR_WINDOWTEXT);
        }
        frame(dc, hot, sys(COLOR_HIGHLIGHT));
    }
    if (state & ODS_CHECKED) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, id, FALSE, &info);
        drawCheck(dc, gutter, (info.fType & MFT_RADIOCHECK) != 0, text);
    }

    SetTextColor(dc, text);
    RECT label = box;
    label.left = gutter.right + px(8);
    label.right -= px(16);
    const UINT flags = DT_SINGLELINE | DT_VCENTER | ((state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    const auto tab = item.text.find('\t');
    DrawTextA(dc, item.text.c_str(), int(std::min(tab, item.text.size())), &label, flags | DT_LEFT);
    if (tab != std::string::npos)  // a shortcut's text, right-aligned
        DrawTextA(dc, item.text.c_str() + tab + 1, -1, &label, flags | DT_RIGHT);
    if (item.submenu) drawArrow(dc, box, text);
}

void MenuPainter::drawSeparator(HDC dc, const RECT& box) const {
    // A line that fades in from the background and out again: a gradient on each side of its middle.
    const int y = (box.top + box.bottom) / 2;
    const int left = box.left + px(24) + px(8), right = box.right - px(4);
    const int middle = (left + right) / 2;
    const COLORREF back = dropBackground(), line = sys(COLOR_BTNSHADOW);
    gradient(dc, RECT{left, y, middle, y + 1}, back, line);
    gradient(dc, RECT{middle, y, right, y + 1}, line, back);
}

void MenuPainter::drawCheck(HDC dc, const RECT& gutter, bool radio, COLORREF color) const {
    const int cx = (gutter.left + gutter.right) / 2, cy = (gutter.top + gutter.bottom) / 2;
    HBRUSH brush = CreateSolidBrush(color);
    HPEN pen = CreatePen(PS_SOLID, std::max(1, px(2)), color);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, radio ? GetStockObject(NULL_PEN) : pen);
    if (radio) {
        const int r = px(3);
        Ellipse(dc, cx - r, cy - r, cx + r + 1, cy + r + 1);
    } else {
        const POINT tick[] = {{cx - px(4), cy}, {cx - px(1), cy + px(3)}, {cx + px(4), cy - px(3)}};
        Polyline(dc, tick, 3);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void MenuPainter::drawArrow(HDC dc, const RECT& box, COLORREF color) const {
    const int cy = (box.top + box.bottom) / 2, x = box.right - px(10), h = px(4);
    const POINT tip[] = {{x, cy - h}, {x + h, cy}, {x, cy + h}};
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Polygon(dc, tip, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
}

LRESULT MenuPainter::menuChar(char letter, HMENU menu) const {
    const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    const int count = GetMenuItemCount(menu);
    int current = -1;
    std::vector<int> matches;
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA | MIIM_STATE;
        if (!GetMenuItemInfoA(menu, UINT(i), TRUE, &info)) continue;
        if (info.fState & MFS_HILITE) current = i;
        const auto* item = reinterpret_cast<const Item*>(info.dwItemData);
        if (std::none_of(items_.begin(), items_.end(), [&](auto& p) { return p.get() == item; })) continue;
        if (!item->separator && accessKey(item->text) == wanted) matches.push_back(i);
    }
    if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
    if (matches.size() == 1) return MAKELRESULT(matches[0], MNC_EXECUTE);
    const auto next = std::find_if(matches.begin(), matches.end(), [&](int i) { return i > current; });
    return MAKELRESULT(next == matches.end() ? matches[0] : *next, MNC_SELECT);
}

}  // namespace vr::win32
