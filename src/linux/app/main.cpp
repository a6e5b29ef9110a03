// vigilamp: the Linux program. It starts hidden in the tray, as on Windows.
#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "model/texts.h"
#include "linux/app/application.h"

int main(int argc, char** argv) {
    // The lookups, the lights and the attention watch speak X11: on a Wayland desktop Qt runs through XWayland.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("vigilamp");
    QApplication::setDesktopFileName("vigilamp");
    QApplication::setQuitOnLastWindowClosed(false);  // it lives in the tray
    QApplication::setWindowIcon(QIcon(":/vigilamp/vigilamp.ico"));
    try {
        vr::lx::Application application(QCoreApplication::applicationFilePath().toStdString());
        return application.run();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, vr::kTitle, QString::fromStdString(vr::exceptionText(e.what())));
        return 1;
    }
}
