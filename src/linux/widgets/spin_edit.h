// An interval box: an edit with up and down arrows. It takes digits, signs and the decimal separator (anything
// else beeps and is left out); the arrows and the Up and Down keys step the value by the interval's increment,
// never below its minimum, and select it.
#pragma once
#include <QAbstractSpinBox>
#include <cstdint>
#include <functional>

namespace vr::lx {

class SpinEdit final : public QAbstractSpinBox {
public:
    SpinEdit(std::int32_t minimum, std::int32_t increment, QWidget* parent);

    QString text() const;
    void setText(const QString& text);  // as the program sets it: not reported as the user's change

    std::function<void(const QString&)> onUserChange;  // typed, pasted or stepped by the user

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    std::int32_t minimum_, increment_;
};

}  // namespace vr::lx
