// TfrmMain on Win32: the window, its notebook of five pages built from the layout tables, and the menu bar. It
// shows the model, hands the user's changes back to it, and routes every platform event to the form.
#pragma once
#include <windows.h>

#include <map>
#include <memory>

#include "form/main_form.h"
#include "model/layout.h"
#include "model/model.h"
#include "win32/windows/about_window.h"
#include "win32/windows/backdrop.h"
#include "win32/widgets/menu_painter.h"

namespace vr::win32 {

class MainWindow final : public View {
public:
    // Creates the window hidden, owned by the application's hidden taskbar window, with its controls as the
    // model holds them.
    MainWindow(HINSTANCE instance, HWND application, Model& model);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return window_; }
    void setForm(MainForm* form) { form_ = form; }      // events reach the form from then on
    void setAbout(AboutWindow* about) { about_ = about; }  // created after the main window, as at start-up

    // View
    void showChecked(Ctl control, bool on) override;
    void showText(Ctl control, const std::string& text) override;
    void showEnabled(Ctl control, bool on) override;
    void showItemsCleared(Ctl list) override;
    void showItemAdded(Ctl list, const ListItem& item) override;
    void showPage(Page page) override;
    void showMain() override;
    void hideMain() override;
    void showAbout() override {
        if (about_) about_->show();
    }
    void terminate() override { PostQuitMessage(0); }
    WindowHandle window() override { return reinterpret_cast<WindowHandle>(window_); }

private:
    template <class T>
    friend LRESULT CALLBACK objectWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static constexpr UINT kBuildPages = WM_APP + 1;
    void buildPages();
    void createControls(HINSTANCE instance);
    HWND createControl(const ControlRow& row, HWND parent, HINSTANCE instance);
    void fitLabel(HWND label, const ControlRow& row);
    // A control the user changed: its new state goes to the model before any handler runs.
    void takeUserChange(Ctl control, int code);
    HWND item(Ctl control) const;
    HFONT font(Font kind) const { return fonts_[static_cast<int>(kind)]; }
    int scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

    Model& model_;
    MainForm* form_ = nullptr;
    AboutWindow* about_ = nullptr;
    HWND window_ = nullptr;
    HINSTANCE instance_ = nullptr;
    bool built_ = false;
    HWND notebook_ = nullptr;
    HWND pages_[std::size(kPageNames)] = {};
    Page page_ = Page::Status;
    bool shownBefore_ = false;
    int dpi_ = 96;
    HFONT fonts_[7] = {};
    std::map<Ctl, HWND> controls_;
    std::map<Ctl, const ControlRow*> rows_;
    std::unique_ptr<Backdrop> backdrop_;
    std::unique_ptr<MenuPainter> menuPainter_;
};

}  // namespace vr::win32
