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
#include "linux/windows/about_window.h"
#include "model/settings.h"

namespace vr::lx {

namespace {

constexpr int kClientWidth = 686, kClientHeight = 269;

// Captions that speak of Windows where the Linux program does something else.
const std::map<Ctl, const char*> kLinuxCaptions = {
    {Ctl::cbxStart, "Start at login"},
    {Ctl::lblSupport, "Vigilamp Rizu will play files supported by your installed GStreamer plug-ins."},
    {Ctl::lblAttentionNote, "Alert at once when a window that fits the rule asks for attention (urgent)."},
};

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

// An item's mnemonic: its first letter that no earlier item of the same menu has taken.
QString withMnemonic(const char* text, QString& taken) {
    QString item = QString::fromUtf8(text);
    for (qsizetype i = 0; i < item.size(); ++i)
        if (item[i].isLetter() && !taken.contains(item[i].toLower())) {
            taken += item[i].toLower();
            return item.insert(i, '&');
        }
    return item;
}

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
    QFont f("Arial");
    f.setPointSize(which == Font::Title ? 12 : which == Font::Support ? 8 : 9);
    f.setBold(which == Font::Title);
    f.setItalic(which == Font::Note || which == Font::Status);
    f.setUnderline(which == Font::Status || which == Font::Url || which == Font::Warning);
    return f;
}

void MainWindow::buildPages() {
    if (built_) return;
    built_ = true;
    notebook_->setStyleSheet(kGroupStyle);
    QMenu* current = nullptr;
    QString barLetters, itemLetters;
    for (const MenuRow& row : menuBarTable()) {
        if (row.depth == 0) {
            current = menuBar()->addMenu(withMnemonic(row.text, barLetters));
            itemLetters.clear();
        } else if (row.text) {
            const int id = static_cast<int>(row.command);
            connect(current->addAction(withMnemonic(row.text, itemLetters)), &QAction::triggered, this, [this, id] {
                if (form_) form_->command(id);
            });
        } else {
            current->addSeparator();
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
    const auto linuxCaption = kLinuxCaptions.find(id);
    const QString text = linuxCaption != kLinuxCaptions.end() ? QString::fromUtf8(linuxCaption->second)
                                                              : qt(model_.text(id));
    QWidget* w = nullptr;
    switch (row.kind) {
    case Kind::Label: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(row.flags & Wrap);
        label->setAlignment((row.flags & RightAlign ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        if (id == Ctl::lblURL) label->setStyleSheet("color: #0000FF");
        if (id == Ctl::lblWarning) label->setStyleSheet("color: #FF0000");
        if (row.flags & Hand) {
            label->setCursor(Qt::PointingHandCursor);
            label->installEventFilter(this);
        }
        w = label;
        break;
    }
    case Kind::Group: w = new QGroupBox(text, parent); break;
    case Kind::Button: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id] { clicked(id); });
        w = button;
        break;
    }
    case Kind::Check: {
        auto* box = new QCheckBox(text, parent);
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

// Labels size themselves to their text, every line of it, unless they word-wrap; a right-aligned one keeps its
// right edge.
void MainWindow::fitLabel(QWidget* label, const ControlRow& row) {
    if (row.flags & Wrap) return;
    const QSize size = label->sizeHint();
    int width = size.width();
    if (row.flags & MinWidth) width = std::max(width, row.w);
    const QRect r = label->geometry();
    const int left = row.flags & RightAlign ? r.right() + 1 - width : r.left();
    label->setGeometry(left, r.top(), width, size.height());
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
    for (auto* child : next->findChildren<QWidget*>())
        if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled() && child->isVisibleTo(next)) {
            child->setFocus(Qt::TabFocusReason);
            break;
        }
}

void MainWindow::showMain() {
    buildPages();
    if (!shownBefore_) {
        // Centred on the screen the first time; afterwards wherever the user leaves it.
        adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
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
