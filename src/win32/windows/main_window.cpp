#include "win32/windows/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <type_traits>

#include "model/menus.h"
#include "model/settings.h"
#include "win32/widgets/led_window.h"
#include "win32/widgets/menu_painter.h"
#include "win32/widgets/spin_edit.h"
#include "win32/windows/win32_util.h"
#include "win32/windows/window_object.h"

namespace vr::win32 {

namespace {

constexpr char kMainClass[] = "TfrmMain";
constexpr char kContainerClass[] = "TPage";  // the notebook and its pages

// Containers pass their children's notifications up to the main window, which routes them to the form.
bool isForwarded(UINT message) {
    return message == WM_COMMAND || message == WM_NOTIFY || message == WM_DRAWITEM ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

// The notebook and the pages show the background picture behind their controls.
LRESULT CALLBACK containerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (isForwarded(message)) return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    if (message == WM_ERASEBKGND || message == WM_PRINTCLIENT) {
        if (auto* backdrop = reinterpret_cast<const Backdrop*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
            RECT client;
            GetClientRect(window, &client);
            backdrop->fill(window, reinterpret_cast<HDC>(wParam), client);
            return 1;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
// Callbacks are called the system's way (stdcall on 32-bit x86): a procedure of another convention would not
// convert to the system's pointer type.
static_assert(std::is_convertible_v<decltype(&containerProc), WNDPROC>);

// A group box is the parent of its controls: it passes their notifications on and, since a group box paints
// only its frame and caption, fills its inside with what lies behind it.
LRESULT CALLBACK groupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (isForwarded(message)) return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        // An opaque group (data 0) hides the picture behind it: it stands over the wordmark.
        if (data) reinterpret_cast<const Backdrop*>(data)->fill(window, reinterpret_cast<HDC>(wParam), client);
        else FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
static_assert(std::is_convertible_v<decltype(&groupProc), SUBCLASSPROC>);

LRESULT CALLBACK handCursorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
static_assert(std::is_convertible_v<decltype(&handCursorProc), SUBCLASSPROC>);
static_assert(std::is_convertible_v<decltype(&objectWindowProc<MainWindow>), WNDPROC>);

// The program's icon resource.
constexpr int kIconResource = 1;

HMENU buildMenuBar() {
    HMENU bar = CreateMenu();
    for (const Menu& menu : menuBar()) {
        HMENU drop = CreatePopupMenu();
        for (const MenuItem& item : menu.items) {
            if (item.separator()) AppendMenuA(drop, MF_SEPARATOR, 0, nullptr);
            else AppendMenuA(drop, MF_STRING, static_cast<UINT_PTR>(item.command), item.caption.c_str());
        }
        AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(drop), menu.caption.c_str());
    }
    return bar;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, HWND application, Model& model) : model_(model) {
    registerWindowClass(instance, kContainerClass, containerProc);
    registerWindowClass(instance, kMainClass, objectWindowProc<MainWindow>, kIconResource);
    dpi_ = systemDpi();

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT frame{0, 0, scale(kClientWidth), scale(kClientHeight)};
    AdjustWindowRectEx(&frame, style, TRUE, exStyle);
    menuPainter_ = std::make_unique<MenuPainter>(dpi_);
    HMENU bar = buildMenuBar();
    menuPainter_->adopt(bar);
    CreateWindowExA(exStyle, kMainClass, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                    frame.bottom - frame.top, application, bar, instance, this);
    // The painted bar may stand higher or lower than the system's own: keep the client area as designed.
    RECT client;
    GetClientRect(window_, &client);
    const int dh = scale(kClientHeight) - client.bottom, dw = scale(kClientWidth) - client.right;
    if (dh || dw)
        SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left + dw, frame.bottom - frame.top + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    backdrop_ = std::make_unique<Backdrop>(instance, 2, dpi_);
    // The pages are built once the message loop runs, after the tray icon is up and the settings are in the
    // model, or at once if the window is shown before that: nothing waits for them meanwhile.
    instance_ = instance;
    PostMessageA(window_, kBuildPages, 0, 0);
}

void MainWindow::buildPages() {
    if (built_) return;
    built_ = true;
    createControls(instance_);
}

MainWindow::~MainWindow() {
    DestroyWindow(window_);
    for (HFONT f : fonts_) DeleteObject(f);
}

void MainWindow::createControls(HINSTANCE instance) {
    for (std::size_t i = 0; i < std::size(fonts_); ++i) {
        const vr::FontSpec& role = fontSpec(static_cast<Font>(i));
        fonts_[i] = createFont({role.face, role.points, role.bold ? FW_BOLD : FW_NORMAL, role.italic, role.underline},
                               dpi_);
    }
    SendMessageA(window_, WM_SETFONT, WPARAM(font(Font::Plain)), FALSE);

    const DWORD container = WS_CHILD | WS_CLIPCHILDREN;
    notebook_ = CreateWindowExA(WS_EX_CONTROLPARENT, kContainerClass, "nteItems", container | WS_VISIBLE, 0, 0,
                                scale(kClientWidth), scale(kClientHeight), window_,
                                HMENU(INT_PTR(Ctl::nteItems)), instance, nullptr);
    SetWindowLongPtrA(notebook_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(backdrop_.get()));
    for (const PageTable& table : pageTables()) {
        const int index = static_cast<int>(table.page);
        HWND page = CreateWindowExA(WS_EX_CONTROLPARENT, kContainerClass, kPageNames[index], container, 0, 0,
                                    scale(kClientWidth), scale(kClientHeight), notebook_, nullptr, instance,
                                    nullptr);
        pages_[index] = page;
        SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(backdrop_.get()));
        for (const ControlRow& row : table.rows) {
            HWND parent = row.parent == Ctl::none ? page : item(row.parent);
            rows_[row.id] = &row;
            controls_[row.id] = createControl(row, parent, instance);
        }
    }
    page_ = model_.page();
    ShowWindow(pages_[static_cast<int>(page_)], SW_SHOW);
}

HWND MainWindow::createControl(const ControlRow& row, HWND parent, HINSTANCE instance) {
    const RECT bounds{scale(row.x), scale(row.y), scale(row.x + row.w), scale(row.y + row.h)};
    // Created as the model holds them now, which is the design-time state unless the program changed it.
    const std::string& text = model_.text(row.id);
    if (row.kind == Kind::Led)
        return createLedWindow(parent, static_cast<int>(row.id), bounds, model_.led(row.id), *backdrop_, dpi_);
    if (row.kind == Kind::Spin) {
        const Range range = settingShownBy(row.id)->range;
        HWND spin = createSpinEdit(parent, static_cast<int>(row.id), bounds, text.c_str(), range.minimum,
                                   range.increment, dpi_);
        SendMessageA(spin, WM_SETFONT, WPARAM(font(row.font)), FALSE);
        if (!model_.enabled(row.id)) EnableWindow(spin, FALSE);
        return spin;
    }
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (row.kind) {
    case Kind::Label:
        style |= SS_NOTIFY | (row.flags & RightAlign ? SS_RIGHT
                              : row.flags & Wrap     ? SS_LEFT
                                                     : SS_LEFTNOWORDWRAP);
        break;
    case Kind::Group:
        cls = L"BUTTON";
        style |= BS_GROUPBOX;
        exStyle = WS_EX_CONTROLPARENT;
        break;
    case Kind::Button: cls = L"BUTTON"; style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case Kind::Check:
        cls = L"BUTTON";
        style |= BS_AUTOCHECKBOX | WS_TABSTOP | (row.flags & Wrap ? BS_MULTILINE : 0);
        break;
    case Kind::Radio:
        cls = L"BUTTON";
        style |= BS_AUTORADIOBUTTON | (row.flags & TabStop ? WS_TABSTOP | WS_GROUP : 0);
        break;
    case Kind::Edit:
        cls = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case Kind::List:
        cls = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case Kind::Led:
    case Kind::Spin: break;  // widgets of their own, made above
    }
    if (!model_.enabled(row.id)) style |= WS_DISABLED;
    // Unicode controls: the program's texts are UTF-8, and a title or a path may hold any character.
    HWND control = CreateWindowExW(exStyle, cls, widen(text).c_str(), style, scale(row.x), scale(row.y),
                                   scale(row.w), scale(row.h), parent, HMENU(INT_PTR(row.id)), instance, nullptr);
    SendMessageA(control, WM_SETFONT, WPARAM(font(row.font)), FALSE);
    if (row.kind == Kind::Edit) SendMessageW(control, EM_SETLIMITTEXT, kValueChars, 0);  // what the file keeps
    if (model_.checked(row.id)) SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
    for (const ListItem& entry : model_.items(row.id)) showItemAdded(row.id, entry);
    if (row.kind == Kind::Group)
        SetWindowSubclass(control, groupProc, 0,
                          row.flags & Opaque ? 0 : reinterpret_cast<DWORD_PTR>(backdrop_.get()));
    if (row.flags & Hand) SetWindowSubclass(control, handCursorProc, 0, 0);
    if (row.kind == Kind::Label) fitLabel(control, row);
    return control;
}

// Labels size themselves to their text, as the description places them.
void MainWindow::fitLabel(HWND label, const ControlRow& row) {
    if (row.flags & Wrap) return;
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, font(row.font));
    // Measured as the static control draws it, so that a caption of several lines gets their height.
    RECT extent{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &extent, DT_CALCRECT | DT_EXPANDTABS);
    const SIZE size{extent.right, extent.bottom};
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, GetParent(label), reinterpret_cast<POINT*>(&r), 2);
    // The static control needs a little room past the glyphs' advance.
    const Box box = fittedLabel(row, {r.left, r.top, r.right - r.left, r.bottom - r.top}, size.cx + scale(2), size.cy,
                                dpi_ / 96.0);
    SetWindowPos(label, nullptr, box.x, box.y, box.w, box.h, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MainWindow::item(Ctl control) const {
    const auto it = controls_.find(control);
    return it == controls_.end() ? nullptr : it->second;
}

void MainWindow::showChecked(Ctl control, bool on) {
    if (!built_) return;  // the pages show the model as it is when they are built
    SendMessageA(item(control), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::showText(Ctl control, const std::string& text) {
    if (!built_) return;  // the pages show the model as it is when they are built
    HWND h = item(control);
    SetWindowTextW(h, widen(text).c_str());
    if (const auto row = rows_.find(control); row != rows_.end() && row->second->kind == Kind::Label)
        fitLabel(h, *row->second);
}

void MainWindow::showEnabled(Ctl control, bool on) {
    if (built_) EnableWindow(item(control), on);
}

void MainWindow::showItemsCleared(Ctl list) {
    if (!built_) return;  // the pages show the model as it is when they are built
    SendMessageA(item(list), LB_RESETCONTENT, 0, 0);
}

void MainWindow::showItemAdded(Ctl list, const ListItem& entry) {
    if (!built_) return;  // the pages show the model as it is when they are built
    HWND box = item(list);
    // The item's data carries the window handle whole, on either target.
    static_assert(sizeof(LPARAM) >= sizeof(WindowHandle) && sizeof(WindowHandle) >= sizeof(HWND));
    const LRESULT index = SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(entry.text).c_str()));
    if (index < 0) throw Error("Unable to add \"" + entry.text + "\" to the list");
    SendMessageA(box, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(entry.data));
}

void MainWindow::takeUserChange(Ctl control, int code) {
    const auto row = rows_.find(control);
    if (row == rows_.end()) return;
    HWND h = item(control);
    switch (row->second->kind) {
    case Kind::Check:
        if (code == BN_CLICKED) model_.userChecked(control, SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED);
        break;
    case Kind::Radio:
        // A radio button clears the others of its group itself: the model takes the whole group.
        if (code == BN_CLICKED)
            for (const auto& [id, r] : rows_)
                if (r->kind == Kind::Radio && r->parent == row->second->parent)
                    model_.userChecked(id, SendMessageA(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED);
        break;
    case Kind::Edit:
    case Kind::Spin:
        if (code == EN_CHANGE) {
            std::wstring s(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
            s.resize(static_cast<std::size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
            model_.userText(control, narrow(s));
        }
        break;
    case Kind::List:
        if (code == LBN_SELCHANGE) model_.userSelected(control, static_cast<int>(SendMessageA(h, LB_GETCURSEL, 0, 0)));
        break;
    default: break;
    }
}

void MainWindow::showPage(Page page) {
    if (!built_) return;  // built later with the model's page
    const HWND focus = GetFocus();
    const bool focusInNotebook = focus && IsChild(notebook_, focus);
    HWND next = pages_[static_cast<int>(page)];
    ShowWindow(next, SW_SHOW);
    ShowWindow(pages_[static_cast<int>(page_)], SW_HIDE);
    page_ = page;
    if (focusInNotebook) {
        if (HWND first = item(model_.firstFocusable(page))) SetFocus(first);
    }
}

void MainWindow::showMain() {
    buildPages();
    ShowWindow(window_, SW_HIDE);
    if (!shownBefore_) {
        // Centred on the desktop the first time; afterwards wherever the user leaves it.
        RECT work, frame;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        GetWindowRect(window_, &frame);
        const Box at = centred({work.left, work.top, work.right - work.left, work.bottom - work.top},
                               frame.right - frame.left, frame.bottom - frame.top);
        SetWindowPos(window_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        shownBefore_ = true;
    }
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);  // minimised from outside: back as it was
    SetForegroundWindow(window_);
}

void MainWindow::hideMain() { ShowWindow(window_, SW_HIDE); }

LRESULT MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kBuildPages) {
        buildPages();
        return 0;
    }
    // The menu bar is measured while the window is being created, before the form exists.
    if (message == WM_MEASUREITEM && menuPainter_->measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
        return TRUE;
    if (message == WM_DRAWITEM && menuPainter_->draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
        return TRUE;
    if (message == WM_MENUCHAR && !(HIWORD(wParam) & MF_SYSMENU))
        return menuPainter_->menuChar(static_cast<char>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam));
    if (message == WM_COMMAND && lParam != 0) takeUserChange(static_cast<Ctl>(LOWORD(wParam)), HIWORD(wParam));
    if (!form_) return DefWindowProcA(window_, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND: {
        const int code = HIWORD(wParam);
        // Menu commands, clicks of buttons and clickable labels, and selections in the list.
        if (lParam == 0 || code == BN_CLICKED ||
            (code == LBN_SELCHANGE && LOWORD(wParam) == static_cast<int>(Ctl::lsbHandles)))
            form_->command(LOWORD(wParam));
        return 0;
    }
    case WM_TIMER:
        form_->timer(static_cast<int>(wParam));
        return 0;
    case WM_CLOSE:
        form_->close();
        return 0;
    case WM_SYSCOMMAND:
        // Minimising puts the program away into the tray: the window hides and no taskbar button appears.
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            hideMain();
            form_->mainHidden();
            return 0;
        }
        break;
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) {
            hideMain();
            form_->mainHidden();
        }
        return 0;
    case WM_ENDSESSION:
        if (wParam) form_->endSession();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        const HWND control = reinterpret_cast<HWND>(lParam);
        char cls[16] = "";
        GetClassNameA(control, cls, sizeof cls);
        if (lstrcmpiA(cls, "Edit") == 0) break;  // a disabled edit keeps its own look
        const auto row = rows_.find(static_cast<Ctl>(GetDlgCtrlID(control)));
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (row != rows_.end() && fontSpec(row->second->font).coloured)
            SetTextColor(dc, COLORREF(fontSpec(row->second->font).colour));  // both are 0x00BBGGRR
        // A control in an opaque group stands on the window's own colour.
        const auto group = row != rows_.end() ? rows_.find(row->second->parent) : rows_.end();
        if (group != rows_.end() && (group->second->flags & Opaque)) {
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return reinterpret_cast<LRESULT>(backdrop_->brushFor(control, dc));
    }
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vr::win32
