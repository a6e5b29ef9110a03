// An LED indicator: a small lamp drawn in its model's face colour, redrawn when the model says so.
#pragma once
#include <QWidget>

#include "model/led.h"

namespace vr::lx {

class LedWidget final : public QWidget {
public:
    LedWidget(Led& model, QWidget* parent);
    ~LedWidget() override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Led& model_;
};

}  // namespace vr::lx
