#pragma once
// A pair of arrow buttons that report steps, not a value: the up arrow steps
// by -1 and the down arrow by +1, as a vertical up-down control's default
// reversed range does.

#include <QWidget>
#include <functional>

class QToolButton;

namespace talvir {

class UpDownControl : public QWidget {
 public:
  explicit UpDownControl(QWidget* parent);

  std::function<void(int delta)> onStep;
  QToolButton* upArrow() const { return up_; }
  QToolButton* downArrow() const { return down_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace talvir
