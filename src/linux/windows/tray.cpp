#include "linux/windows/tray.h"

#include <QCursor>

#include "form/tray_menu.h"

namespace vr::lx {

namespace {
constexpr int kRetryMs = 2000;  // how often an icon the tray did not take is offered again
}

Tray::Tray(std::function<void(int)> command) : picture_(":/vigilamp/vigilamp.ico") {
    for (const TrayMenuRow& row : trayMenuTable()) {
        if (!row.text) {
            menu_.addSeparator();
            continue;
        }
        QAction* action = menu_.addAction(QString::fromUtf8(row.text));
        const int id = static_cast<int>(row.command);
        QObject::connect(action, &QAction::triggered, &menu_, [command, id] { command(id); });
        if (row.isDefault) {  // the item a double click on the icon also runs, in bold
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
            menu_.setDefaultAction(action);
        }
    }
    retry_.setInterval(kRetryMs);
    QObject::connect(&retry_, &QTimer::timeout, [this] { icon_->retryTick(); });
    QObject::connect(&tray_, &QSystemTrayIcon::activated, [this](auto reason) { activated(reason); });
    icon_.emplace(static_cast<TrayShell&>(*this), static_cast<TrayWindow&>(*this));
}

Tray::~Tray() { icon_.reset(); }

void Tray::activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger: icon_->leftButtonUp(); break;
    case QSystemTrayIcon::DoubleClick: icon_->leftDoubleClick(); break;
    case QSystemTrayIcon::Context: icon_->rightButtonUp(); break;
    default: break;
    }
}

void Tray::apply(const TrayRecord& record) {
    if (record.hasIcon)
        tray_.setIcon(record.icon ? *reinterpret_cast<const QIcon*>(record.icon) : QIcon());
    if (record.hasTip) tray_.setToolTip(QString::fromStdString(record.tip));
    // The icon shows once it has a picture: a tray has nothing to show before.
    tray_.setVisible(added_ && !tray_.icon().isNull());
}

bool Tray::add(const TrayRecord& record) {
    if (added_ || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
    added_ = true;
    apply(record);
    return true;
}

bool Tray::modify(const TrayRecord& record) {
    if (!added_) return false;
    apply(record);
    return true;
}

bool Tray::remove(const TrayRecord&) {
    if (!added_) return false;
    added_ = false;
    tray_.hide();
    return true;
}

void Tray::postTipMessage() {
    QMetaObject::invokeMethod(&menu_, [this] { icon_->tipMessage(); }, Qt::QueuedConnection);
}

void Tray::retryTimer(bool on) {
    if (on) retry_.start();
    else retry_.stop();
}

ScreenPoint Tray::cursor() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void Tray::popUp(MenuHandle menu, ScreenPoint at) {
    // The chosen item runs its command through its action; the menu does not hold the caller up.
    reinterpret_cast<QMenu*>(menu)->popup(QPoint(at.x, at.y));
}

}  // namespace vr::lx
