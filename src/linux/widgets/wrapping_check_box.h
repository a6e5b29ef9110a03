// A check box whose caption wraps onto more lines, as a Windows check box does with BS_MULTILINE: the caption
// is a word-wrapped label beside the box, and a click anywhere on either toggles it. Assistive tools read the
// caption as the box's name.
#pragma once
#include <QCheckBox>
#include <QLabel>

namespace vr::lx {

class WrappingCheckBox final : public QCheckBox {
public:
    WrappingCheckBox(const QString& text, QWidget* parent);
    void setCaption(const QString& text);

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* caption_;
};

}  // namespace vr::lx
