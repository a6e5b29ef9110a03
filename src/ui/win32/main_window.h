// TfrmMain on Win32: the window, its notebook of five pages built from the layout tables, and the menu bar.
// It is the View of the main form and routes every platform event to the form's handlers.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <optional>

#include "platform/win32/media_player.h"
#include "platform/win32/ports_win32.h"
#include "ui/win32/about_window.h"
#include "ui/win32/backdrop.h"
#include "ui/win32/tray_icon.h"
#include "ui/win32/widgets/menu_painter.h"
#include "ui/layout.h"
#include "ui/main_form.h"

namespace vr::win32 {

class MainWindow final : public View {
public:
    // Creates the window hidden, owned by the application's hidden taskbar window, and runs FormCreate.
    MainWindow(HINSTANCE instance, HWND application);
    ~MainWindow() override;

    HWND handle() const { return window_; }
    void setAbout(AboutWindow* about) { about_ = about; }  // created after the main window, as at start-up

    // View
    bool checked(Ctl control) override;
    void setChecked(Ctl control, bool on) override;
    std::string text(Ctl control) override;
    void setText(Ctl control, const std::string& text) override;
    bool enabled(Ctl control) override;
    void setEnabled(Ctl control, bool on) override;
    TVrLed& led(Ctl control) override { return leds_.at(control); }
    Page page() override { return page_; }
    void showPage(Page page) override;
    void showMain() override;
    void hideMain() override;
    void showAbout() override {
        if (about_) about_->show();
    }
    void terminate() override { PostQuitMessage(0); }
    WindowHandle window() override { return reinterpret_cast<WindowHandle>(window_); }
    void clearItems(Ctl list) override;
    void addItem(Ctl list, const std::string& text, WindowHandle data) override;
    int selectedItem(Ctl list) override;
    WindowHandle itemData(Ctl list, int index) override;

private:
    template <class T>
    friend LRESULT CALLBACK objectWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls(HINSTANCE instance);
    HWND createControl(const ControlRow& row, HWND parent, HINSTANCE instance);
    void fitLabel(HWND label, const ControlRow& row);
    HWND item(Ctl control) const;
    HFONT font(Font kind) const { return fonts_[static_cast<int>(kind)]; }
    int scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

    HWND window_ = nullptr;
    HWND notebook_ = nullptr;
    HWND pages_[std::size(kPageNames)] = {};
    Page page_ = Page::Status;
    bool shownBefore_ = false;
    int dpi_ = 96;
    HFONT fonts_[7] = {};
    std::map<Ctl, HWND> controls_;
    std::map<Ctl, const ControlRow*> rows_;
    std::map<Ctl, TVrLed> leds_;
    std::unique_ptr<Backdrop> backdrop_;
    std::unique_ptr<MenuPainter> menuPainter_;
    AboutWindow* about_ = nullptr;

    std::unique_ptr<WindowTimers> timers_;
    SystemKeyboard keyboard_;
    TopLevelWindows windows_;
    std::unique_ptr<MessageDialogs> dialogs_;
    std::string executable_ = modulePath();
    IniProfile profile_{executable_};
    RegistryRunKey runKey_;
    ShellLauncher shell_;
    SoundPlayer player_;
    std::optional<MainForm> form_;
    HMENU mnuSystemTray_ = nullptr;
    std::unique_ptr<TrayIconWindow> sysTray_;
};

}  // namespace vr::win32
