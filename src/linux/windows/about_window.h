// TfrmAbout on Linux: the title, the text over the logo, and a Close button. Closing only hides it; the logo is
// decoded when the window is first shown.
#pragma once
#include <QPixmap>
#include <QWidget>

namespace vr::lx {

class AboutWindow final : public QWidget {
public:
    explicit AboutWindow(QWidget* owner);
    void showAbout();  // shown where it was left and brought to the front

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap logo_;
};

}  // namespace vr::lx
