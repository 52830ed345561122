#pragma once
// One QApplication for the test program, without a display, and the
// answering of the modal boxes a test runs into.

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>

namespace talvir::testing {

inline QApplication& QtTestApp() {
  static int argc = 1;
  static char name[] = "tests_ui";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return *app;
}

// While it lives, runs answer once on the first modal window that comes up.
class ModalAnswer {
 public:
  explicit ModalAnswer(std::function<void(QWidget&)> answer) : answer_(std::move(answer)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        poll_.stop();
        answer_(*modal);
      }
    });
    poll_.start(5);
  }

 private:
  std::function<void(QWidget&)> answer_;
  QTimer poll_;
};

// Answers the first message box with button; asked() is what it said, empty
// while none came.
class MessageBoxAnswer {
 public:
  explicit MessageBoxAnswer(QMessageBox::StandardButton button)
      : answer_([this, button](QWidget& modal) {
          auto* box = qobject_cast<QMessageBox*>(&modal);
          asked_ = box == nullptr ? "<not a message box>" : box->text().toStdString();
          if (box != nullptr) box->button(button)->click();
        }) {}
  const std::string& asked() const { return asked_; }

 private:
  std::string asked_;
  ModalAnswer answer_;
};

}  // namespace talvir::testing
