#include "linux/widgets/spin_edit.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>

#include "settings/intervals.h"

namespace vr::lx {

namespace {

bool accepted(QChar c) {
    static const QChar separator = QLocale().decimalPoint().front();
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == separator;
}

}  // namespace

SpinEdit::SpinEdit(std::int32_t minimum, std::int32_t increment, QWidget* parent)
    : QAbstractSpinBox(parent), minimum_(minimum), increment_(increment) {
    setButtonSymbols(UpDownArrows);
    setCorrectionMode(CorrectToPreviousValue);
    setKeyboardTracking(true);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        if (onUserChange) onUserChange(text);
    });
}

QString SpinEdit::text() const { return lineEdit()->text(); }

void SpinEdit::setText(const QString& text) { lineEdit()->setText(text); }

void SpinEdit::stepBy(int steps) {
    std::string value = text().toStdString();
    for (int i = 0; i < (steps < 0 ? -steps : steps); ++i) value = spinStep(value, minimum_, increment_, steps > 0);
    setText(QString::fromStdString(value));
    selectAll();
    if (onUserChange) onUserChange(text());
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    // Only characters a number can hold; what they spell is the Set button's to judge.
    for (QChar c : input)
        if (!accepted(c)) {
            QApplication::beep();
            return QValidator::Invalid;
        }
    return QValidator::Acceptable;
}

}  // namespace vr::lx
