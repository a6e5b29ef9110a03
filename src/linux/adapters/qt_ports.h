// The ports Qt answers itself: the form's timers and the message boxes and file dialog.
#pragma once
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "ports.h"

class QWidget;

namespace vr::lx {

// One single-shot-free QTimer per id, ticking on the user-interface thread.
class QtTimers final : public TimerHost {
public:
    explicit QtTimers(std::function<void(int)> tick) : tick_(std::move(tick)) {}
    bool start(int id, unsigned ms) override;
    void stop(int id) override;

private:
    std::function<void(int)> tick_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

// Modal boxes owned by the main window. Timers keep ticking while they are open.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner) : owner_(owner) {}
    bool confirm(const std::string& text) override;
    void error(const std::string& text) override;
    void warning(const std::string& text) override;
    void exception(const std::string& text) override;
    void report(const std::string& text) override;  // the standard error stream
    std::optional<std::string> openFile(const OpenFileRequest& request) override;

private:
    QWidget* owner_;
};

// The file dialog's filter list as Qt writes it ("Sounds (*.mp3);;All files (*)") from the program's
// description|pattern pairs. Linux programs carry no extension, so a filter for Windows programs shows every file.
QString qtFilters(const std::string& filter);

}  // namespace vr::lx
