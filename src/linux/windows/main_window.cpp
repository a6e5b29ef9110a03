#include "linux/windows/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "form/main_form.h"
#include "model/texts.h"
#include "linux/widgets/led_widget.h"
#include "linux/widgets/spin_edit.h"
#include "linux/widgets/wrapping_check_box.h"
#include "linux/windows/about_window.h"
#include "model/menus.h"
#include "model/settings.h"

namespace vr::lx {

namespace {

// The notebook: the background picture behind every page, decoded when first painted.
class Notebook final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        if (picture_.isNull()) picture_.load(":/vigilamp/background.jpg");
        QPainter(this).drawPixmap(0, 0, picture_);
    }

private:
    QPixmap picture_;
};

QString qt(const std::string& s) { return QString::fromStdString(s).replace("\r\n", "\n"); }

// Group boxes as the Windows program draws them: the caption on the frame's top line, the controls placed
// from the box's top edge.
constexpr char kGroupStyle[] =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 2px; }";

}  // namespace

MainWindow::MainWindow(Model& model) : model_(model) {
    // A window of one size: a caption with the minimise and close boxes only.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(kTitle);
    notebook_ = new Notebook(this);
    notebook_->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(notebook_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);  // a dialog-like window of one size
}

QFont MainWindow::font(Font which) const {
    const FontSpec& role = fontSpec(which);
    QFont f(role.face);
    f.setPointSize(role.points);
    f.setBold(role.bold);
    f.setItalic(role.italic);
    f.setUnderline(role.underline);
    return f;
}

void MainWindow::buildPages() {
    if (built_) return;
    built_ = true;
    notebook_->setStyleSheet(kGroupStyle);
    for (const Menu& menu : vr::menuBar()) {
        QMenu* drop = menuBar()->addMenu(QString::fromStdString(menu.caption));
        for (const MenuItem& item : menu.items) {
            if (item.separator()) {
                drop->addSeparator();
                continue;
            }
            const int id = static_cast<int>(item.command);
            connect(drop->addAction(QString::fromStdString(item.caption)), &QAction::triggered, this, [this, id] {
                if (form_) form_->command(id);
            });
        }
    }
    for (const PageTable& table : pageTables()) {
        const int index = static_cast<int>(table.page);
        auto* page = new QWidget(notebook_);
        page->setObjectName(kPageNames[index]);
        page->setGeometry(0, 0, kClientWidth, kClientHeight);
        page->hide();
        pages_[index] = page;
        for (const ControlRow& row : table.rows) {
            rows_[row.id] = &row;
            controls_[row.id] = createControl(row, row.parent == Ctl::none ? page : control(row.parent));
        }
    }
    page_ = model_.page();
    pages_[static_cast<int>(page_)]->show();
}

QWidget* MainWindow::control(Ctl id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QWidget* MainWindow::createControl(const ControlRow& row, QWidget* parent) {
    const Ctl id = row.id;
    const QString text = qt(model_.text(id));
    QWidget* w = nullptr;
    switch (row.kind) {
    case Kind::Label: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(row.flags & Wrap);
        label->setAlignment((row.flags & RightAlign ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        if (const FontSpec& role = fontSpec(row.font); role.coloured)  // 0x00BBGGRR
            label->setStyleSheet(QString("color: #%1%2%3")
                                     .arg(role.colour & 0xFF, 2, 16, QChar('0'))
                                     .arg(role.colour >> 8 & 0xFF, 2, 16, QChar('0'))
                                     .arg(role.colour >> 16 & 0xFF, 2, 16, QChar('0')));
        if (row.flags & Hand) {
            label->setCursor(Qt::PointingHandCursor);
            label->installEventFilter(this);
        }
        w = label;
        break;
    }
    case Kind::Group: {
        auto* group = new QGroupBox(text, parent);
        // Over the wordmark: the window's own colour behind its text.
        if (row.flags & Opaque) group->setStyleSheet("QGroupBox { background: palette(window); }");
        w = group;
        break;
    }
    case Kind::Button: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id] { clicked(id); });
        w = button;
        break;
    }
    case Kind::Check: {
        auto* box = row.flags & Wrap ? new WrappingCheckBox(text, parent) : new QCheckBox(text, parent);
        box->setChecked(model_.checked(id));
        // Every change but the program's own (showChecked keeps quiet): a click, a key, an assistive tool's toggle.
        connect(box, &QCheckBox::toggled, this, [this, id](bool on) {
            model_.userChecked(id, on);
            clicked(id);
        });
        w = box;
        break;
    }
    case Kind::Radio: {
        auto* radio = new QRadioButton(text, parent);
        radio->setChecked(model_.checked(id));
        // A radio button clears the others of its group itself, and each says so: the model follows each one, and
        // the one that was chosen counts as clicked.
        connect(radio, &QRadioButton::toggled, this, [this, id](bool on) {
            model_.userChecked(id, on);
            if (on) clicked(id);
        });
        w = radio;
        break;
    }
    case Kind::Edit: {
        auto* edit = new QLineEdit(text, parent);
        edit->setMaxLength(static_cast<int>(kValueChars));  // no more than the settings file keeps
        // Every change reaches the model, typed or set by an assistive tool; the program's own are already there.
        connect(edit, &QLineEdit::textChanged, this, [this, id](const QString& t) { model_.userText(id, t.toStdString()); });
        w = edit;
        break;
    }
    case Kind::Spin: {
        const Range range = settingShownBy(id)->range;
        auto* spin = new SpinEdit(range.minimum, range.increment, parent);
        spin->setText(text);
        spin->onUserChange = [this, id](const QString& t) { model_.userText(id, t.toStdString()); };
        w = spin;
        break;
    }
    case Kind::Led: w = new LedWidget(model_.led(id), parent); break;
    case Kind::List: {
        auto* list = new QListWidget(parent);
        for (const ListItem& item : model_.items(id)) {
            auto* entry = new QListWidgetItem(qt(item.text), list);
            entry->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(item.data));
        }
        connect(list, &QListWidget::currentRowChanged, this, [this, id](int row) {
            model_.userSelected(id, row);
            clicked(id);
        });
        w = list;
        break;
    }
    }
    w->setGeometry(row.x, row.y, row.w, row.h);
    if (row.kind != Kind::Led) w->setFont(font(row.font));
    w->setEnabled(model_.enabled(id));
    if (row.kind == Kind::Label) fitLabel(w, row);
    return w;
}

// Labels size themselves to their text, as the description places them.
void MainWindow::fitLabel(QWidget* label, const ControlRow& row) {
    const QSize size = label->sizeHint();
    const QRect r = label->geometry();
    const Box box = fittedLabel(row, {r.x(), r.y(), r.width(), r.height()}, size.width(), size.height(), 1.0);
    label->setGeometry(box.x, box.y, box.w, box.h);
}

void MainWindow::clicked(Ctl id) {
    if (form_) form_->command(static_cast<int>(id));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease)
        for (const auto& [id, widget] : controls_)
            if (widget == watched) {
                clicked(id);
                return true;
            }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showChecked(Ctl id, bool on) {
    if (auto* button = qobject_cast<QAbstractButton*>(control(id))) {
        const QSignalBlocker quiet(button);  // the program's change, not the user's
        button->setChecked(on);
    }
}

void MainWindow::showText(Ctl id, const std::string& text) {
    QWidget* w = control(id);
    if (!w) return;  // the pages show the model as it is when they are built
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(qt(text));
        fitLabel(label, *rows_.at(id));
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(qt(text));
    } else if (auto* spin = dynamic_cast<SpinEdit*>(w)) {
        spin->setText(qt(text));
    } else if (auto* wrapping = dynamic_cast<WrappingCheckBox*>(w)) {
        wrapping->setCaption(qt(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(qt(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(qt(text));
    }
}

void MainWindow::showEnabled(Ctl id, bool on) {
    if (QWidget* w = control(id)) w->setEnabled(on);
}

void MainWindow::showItemsCleared(Ctl id) {
    if (auto* list = qobject_cast<QListWidget*>(control(id))) {
        const QSignalBlocker quiet(list);
        list->clear();
    }
}

void MainWindow::showItemAdded(Ctl id, const ListItem& item) {
    if (auto* list = qobject_cast<QListWidget*>(control(id))) {
        const QSignalBlocker quiet(list);
        auto* entry = new QListWidgetItem(qt(item.text), list);
        entry->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(item.data));
    }
}

void MainWindow::showPage(Page page) {
    if (!built_) return;  // built later with the model's page
    QWidget* focus = QApplication::focusWidget();
    const bool focusInNotebook = focus && notebook_->isAncestorOf(focus);
    QWidget* next = pages_[static_cast<int>(page)];
    next->show();
    if (page != page_) pages_[static_cast<int>(page_)]->hide();
    page_ = page;
    if (!focusInNotebook) return;
    if (QWidget* first = control(model_.firstFocusable(page))) first->setFocus(Qt::TabFocusReason);
}

void MainWindow::showMain() {
    buildPages();
    if (!shownBefore_) {
        // Centred on the screen the first time; afterwards wherever the user leaves it.
        adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            const QSize frame = frameGeometry().size();
            const Box at = centred({area.x(), area.y(), area.width(), area.height()}, frame.width(), frame.height());
            move(at.x, at.y);
        }
        shownBefore_ = true;
    }
    hide();
    showNormal();  // minimised from outside: back as it was
    raise();
    activateWindow();
}

void MainWindow::hideMain() { hide(); }

void MainWindow::showAbout() {
    if (!about_) about_ = new AboutWindow(this);
    about_->showAbout();
}

void MainWindow::terminate() { QCoreApplication::quit(); }

WindowHandle MainWindow::window() {
    return testAttribute(Qt::WA_WState_Created) ? static_cast<WindowHandle>(winId()) : 0;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();  // the form decides: it stops the watch, stores and ends the program
    if (form_) form_->close();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Minimising puts the program away into the tray: the window hides and leaves no taskbar entry.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && minimiseToTray_)
        QTimer::singleShot(0, this, [this] {
            // Withdrawn as it is: clearing the minimised state here would map it again. showMain restores it.
            hide();
            if (form_) form_->mainHidden();
        });
}

}  // namespace vr::lx
