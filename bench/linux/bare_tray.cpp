// The least a Qt 6 Widgets tray program can be: the application, one tray icon with the program's own picture
// and a context menu, the event loop. No window is ever shown. The benchmark's baseline for the Linux program.
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QMenu menu;
    menu.addAction("Show");
    menu.addSeparator();
    QObject::connect(menu.addAction("Exit"), &QAction::triggered, &app, &QApplication::quit);
    QSystemTrayIcon tray(QIcon(":/bare/vigilamp.ico"));
    tray.setContextMenu(&menu);
    tray.show();
    return QApplication::exec();
}
