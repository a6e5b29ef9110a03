// TfrmMain on Linux: the pages and the menu bar built from the layout tables, showing what the model holds and
// handing the user's own changes back to it. Events go to the form; the window runs no rule of its own.
#pragma once
#include <QMainWindow>
#include <QPixmap>
#include <map>

#include "model/layout.h"
#include "model/model.h"
#include "ports.h"

namespace vr {
class MainForm;
}

namespace vr::lx {

class AboutWindow;

class MainWindow final : public QMainWindow, public View {
public:
    explicit MainWindow(Model& model);

    void setForm(MainForm* form) { form_ = form; }
    // Whether minimising puts the window away into the tray (there is one) or leaves it on the taskbar.
    void setMinimiseToTray(bool on) { minimiseToTray_ = on; }
    QWidget* control(Ctl id) const;  // nullptr before the pages are built
    // The menu bar and the pages are built at the first show: a program that stays in the tray never lays out a
    // caption (which sets up the font system) nor loads the pictures the menu bar's style asks for.
    void buildPages();

    // View
    void showChecked(Ctl control, bool on) override;
    void showText(Ctl control, const std::string& text) override;
    void showEnabled(Ctl control, bool on) override;
    void showItemsCleared(Ctl list) override;
    void showItemAdded(Ctl list, const ListItem& item) override;
    void showPage(Page page) override;
    void showMain() override;
    void hideMain() override;
    void showAbout() override;
    void terminate() override;
    WindowHandle window() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createControl(const ControlRow& row, QWidget* parent);
    void fitLabel(QWidget* label, const ControlRow& row);
    void clicked(Ctl id);
    QFont font(Font which) const;

    Model& model_;
    MainForm* form_ = nullptr;
    AboutWindow* about_ = nullptr;  // made when first asked for, a child of this window
    QWidget* notebook_ = nullptr;
    QWidget* pages_[std::size(kPageNames)] = {};
    std::map<Ctl, QWidget*> controls_;
    std::map<Ctl, const ControlRow*> rows_;
    Page page_ = Page::Status;
    bool built_ = false, shownBefore_ = false, minimiseToTray_ = true;
};

}  // namespace vr::lx
