#include "linux/widgets/wrapping_check_box.h"

#include <QEvent>
#include <QStyle>

namespace vr::lx {

WrappingCheckBox::WrappingCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(parent), caption_(new QLabel(this)) {
    caption_->setWordWrap(true);
    caption_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);  // the box takes the clicks
    setCaption(text);
}

void WrappingCheckBox::setCaption(const QString& text) {
    caption_->setText(text);
    setAccessibleName(text);
}

void WrappingCheckBox::resizeEvent(QResizeEvent* event) {
    QCheckBox::resizeEvent(event);
    const int box = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
                    style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
    caption_->setGeometry(box, 0, width() - box, height());
}

// The page's style sheet keeps a child label from inheriting the box's font, so the caption follows it here.
void WrappingCheckBox::changeEvent(QEvent* event) {
    QCheckBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) caption_->setFont(font());
}

}  // namespace vr::lx
