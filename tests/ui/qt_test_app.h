#pragma once
// One QApplication for the test program, without a display, and the
// answering of the modal boxes a test runs into.

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

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

// While it lives, runs answer once on each modal window that comes up.
class ModalAnswer {
 public:
  explicit ModalAnswer(std::function<void(QWidget&)> answer) : answer_(std::move(answer)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == last_) return;
      last_ = modal;
      answer_(*modal);
    });
    poll_.start(5);
  }

 private:
  std::function<void(QWidget&)> answer_;
  QPointer<QWidget> last_;
  QTimer poll_;
};

// Answers message boxes with button; asked() is what the last one said and
// title() its title, both empty while none came.
class MessageBoxAnswer {
 public:
  explicit MessageBoxAnswer(QMessageBox::StandardButton button)
      : answer_([this, button](QWidget& modal) {
          auto* box = qobject_cast<QMessageBox*>(&modal);
          asked_ = box == nullptr ? "<not a message box>" : box->text().toStdString();
          if (box == nullptr) return;
          title_ = box->windowTitle().toStdString();
          box->button(button)->click();
        }) {}
  const std::string& asked() const { return asked_; }
  const std::string& title() const { return title_; }

 private:
  std::string asked_;
  std::string title_;
  ModalAnswer answer_;
};

// Closes each modal dialog with Cancel (or its only button) and notes its
// caption.
class DialogCloser {
 public:
  const std::vector<std::string>& captions() const { return captions_; }

 private:
  std::vector<std::string> captions_;
  ModalAnswer answer_{[this](QWidget& modal) {
    captions_.push_back(modal.windowTitle().toStdString());
    if (auto* dialog = qobject_cast<QDialog*>(&modal)) dialog->reject();
  }};
};

}  // namespace talvir::testing
