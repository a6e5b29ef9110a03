#include "linux/windows/about_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "model/about.h"

namespace vr::lx {

namespace {

using namespace about;

QRect boxRect(const Box& b) { return {b.x, b.y, b.w, b.h}; }

QFont textFont(TextFont which) {
    QFont f(which == Arial8 ? "Arial" : "Times New Roman");
    f.setStyleHint(which == Arial8 ? QFont::SansSerif : QFont::Serif);
    f.setPointSize(which == Times10 ? 10 : 8);
    return f;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    // A tool window of fixed size, with only its close box.
    setWindowTitle(kCaption);
    setFixedSize(kClientWidth, kClientHeight);
    move(kLeft, kTop);
    auto* title = new QLabel(kCaption, this);
    QFont titleFont("MS Sans Serif");
    titleFont.setStyleHint(QFont::SansSerif);
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setGeometry(boxRect(kTitleBox));
    auto* close = new QPushButton("Close", this);
    close->setGeometry(boxRect(kCloseBox));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void AboutWindow::showAbout() {
    if (logo_.isNull()) logo_.load(":/vigilamp/logo.png");
    show();
    raise();
    activateWindow();
}

void AboutWindow::keyPressEvent(QKeyEvent* event) {
    // Enter and Esc close it, as the Close button does.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) hide();
    else QWidget::keyPressEvent(event);
}

void AboutWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Back to front: the text lies over the logo, which is drawn at its own size and cut off at its box.
    painter.save();
    painter.setClipRect(boxRect(kLogoBox));
    painter.drawPixmap(kLogoBox.x, kLogoBox.y, logo_);
    painter.restore();
    const QRect box = boxRect(kTextBox);
    painter.setClipRect(box);
    painter.setPen(palette().color(QPalette::WindowText));
    int y = box.top();
    for (const Paragraph& p : kText) {
        painter.setFont(textFont(p.font));
        const int height = painter.fontMetrics().height();
        painter.drawText(QRect(box.left(), y, box.width(), height), Qt::AlignLeft | Qt::AlignTop,
                         QString::fromUtf8(p.text));
        y += height;
    }
}

}  // namespace vr::lx
