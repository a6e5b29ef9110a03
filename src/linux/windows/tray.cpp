#include "linux/windows/tray.h"

#include "model/menus.h"
#include "model/texts.h"

namespace vr::lx {

namespace {

constexpr int kRetryMs = 2000;  // how often an icon the tray did not take is offered again
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 256};

QIcon pictureNamed(const char* name) {
    QIcon icon;
    for (const int size : kSizes) icon.addFile(QString(":/vigilamp/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}

}  // namespace

Tray::Tray(std::function<void(int)> command)
    : pictures_{pictureNamed("vigilamp"), pictureNamed("vigilamp-lit")}, command_(std::move(command)) {
    Cmd defaultCommand{};
    for (const MenuItem& item : trayMenu()) {
        if (item.separator()) {
            menu_.addSeparator();
            continue;
        }
        QAction* action = menu_.addAction(QString::fromStdString(item.caption));
        const int id = static_cast<int>(item.command);
        QObject::connect(action, &QAction::triggered, &menu_, [this, id] { command_(id); });
        if (item.isDefault) {  // the item a double click on the icon also runs, in bold
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
            menu_.setDefaultAction(action);
            defaultCommand = item.command;
        }
    }
    tray_.setContextMenu(&menu_);
    QObject::connect(&tray_, &QSystemTrayIcon::activated, [this, defaultCommand](auto reason) {
        if (reason == QSystemTrayIcon::DoubleClick) command_(static_cast<int>(defaultCommand));
    });
    retry_.setInterval(kRetryMs);
    QObject::connect(&retry_, &QTimer::timeout, [this] { place(); });
}

Tray::~Tray() { remove(); }

void Tray::show(TrayPicture picture, const std::string& tip) {
    picture_ = picture;
    tray_.setIcon(pictures_[picture == TrayPicture::lit ? 1 : 0]);
    tray_.setToolTip(QString::fromStdString(tip));
    wanted_ = true;
    place();
}

void Tray::place() {
    if (!wanted_) return retry_.stop();
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available && !tray_.isVisible()) tray_.show();
    if (available) retry_.stop();
    else if (!retry_.isActive()) retry_.start();
}

void Tray::remove() {
    wanted_ = false;
    retry_.stop();
    tray_.hide();
}

void Tray::notify(const std::string& text) {
    if (tray_.isVisible()) tray_.showMessage(kTitle, QString::fromStdString(text), pictures_[0]);
}

}  // namespace vr::lx
