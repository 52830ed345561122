#include "ui/up_down_control.h"

#include <QToolButton>

namespace talvir {

UpDownControl::UpDownControl(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* arrow : {up_, down_}) arrow->setAutoRepeat(true);
  connect(up_, &QToolButton::clicked, this, [this] {
    if (onStep) onStep(-1);
  });
  connect(down_, &QToolButton::clicked, this, [this] {
    if (onStep) onStep(+1);
  });
}

void UpDownControl::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace talvir
