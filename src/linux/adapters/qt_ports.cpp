#include "linux/adapters/qt_ports.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>

#include "model/texts.h"

namespace vr::lx {

bool QtTimers::start(int id, unsigned ms) {
    auto& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] { tick_(id); });
    }
    timer->start(static_cast<int>(ms));  // a running timer starts its countdown again
    return true;
}

void QtTimers::stop(int id) {
    if (const auto it = timers_.find(id); it != timers_.end()) it->second->stop();
}

namespace {

// The program's texts break lines the Windows way.
QString boxText(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }

int show(QWidget* owner, QMessageBox::Icon icon, const char* caption, const std::string& text,
         QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QString::fromUtf8(caption), boxText(text), buttons, owner);
    return box.exec();
}

}  // namespace

bool QtDialogs::confirm(const std::string& text) {
    return show(owner_, QMessageBox::Question, "Confirm", text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtDialogs::error(const std::string& text) { show(owner_, QMessageBox::Critical, "Error", text, QMessageBox::Ok); }

void QtDialogs::warning(const std::string& text) {
    show(owner_, QMessageBox::Warning, "Warning", text, QMessageBox::Ok);
}

void QtDialogs::exception(const std::string& text) {
    show(owner_, QMessageBox::Critical, kTitle, text, QMessageBox::Ok);
}

void QtDialogs::report(const std::string& text) { std::fprintf(stderr, "vigilamp: %s\n", text.c_str()); }

QString qtFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i], pattern = parts[i + 1];
        if (pattern.compare("*.exe", Qt::CaseInsensitive) == 0) {
            description = "Programs";
            pattern = "*";
        }
        pattern.replace("*.*", "*");
        description.replace("(*.*)", "(*)");
        // Qt reads the patterns from the parentheses: a description that shows them already keeps its own.
        filters << (description.contains('(' + pattern + ')') ? description : description + " (" + pattern + ')');
    }
    return filters.join(";;");
}

std::optional<std::string> QtDialogs::openFile(const OpenFileRequest& request) {
    // Qt's dialog always asks for an existing file and has no read-only box or network button to hide.
    const QString chosen = QFileDialog::getOpenFileName(owner_, QString(), QString::fromStdString(request.initialFolder),
                                                        qtFilters(request.filter));
    // An empty name is a cancel, whatever closed the dialog.
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

}  // namespace vr::lx
