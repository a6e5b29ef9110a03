#include "linux/widgets/led_widget.h"

#include <QPainter>

namespace vr::lx {

LedWidget::LedWidget(Led& model, QWidget* parent) : QWidget(parent), model_(model) {
    model_.redraw = [this] { update(); };
}

LedWidget::~LedWidget() { model_.redraw = nullptr; }

void LedWidget::paintEvent(QPaintEvent*) {
    // A face of 13 x 3 with a one-pixel black outline, centred; the page's picture shows around it.
    QPainter painter(this);
    const QRect lamp((width() - 15) / 2, (height() - 5) / 2, 15, 5);
    painter.fillRect(lamp, Qt::black);
    const Color c = model_.face();  // 0x00BBGGRR
    painter.fillRect(lamp.adjusted(1, 1, -1, -1), QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
}

}  // namespace vr::lx
