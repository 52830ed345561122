#pragma once
// A fixture for tests that run the application behind a window: a scratch
// folder for configs/ and logfiles/, removed afterwards, and a hand for the
// message boxes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "qt_test_app.h"

namespace talvir::testing {

class AppWindowTest : public ::testing::Test {
 protected:
  AppWindowTest() {
    QtTestApp();
    std::filesystem::remove_all(base_);
    std::filesystem::create_directories(base_);
  }
  ~AppWindowTest() override { std::filesystem::remove_all(base_); }

  // As after a start with a settings file (no first-run warning), unless
  // told otherwise.
  std::unique_ptr<Application> MakeApp(std::unique_ptr<CaptureDriver> driver, bool settingsLoaded = true) {
    auto app = std::make_unique<Application>(DataPaths{base_}, std::move(driver));
    app->settings().Set(&SettingsRecord::settingsLoaded, settingsLoaded ? 1 : 0);
    return app;
  }

  // Answers the next message box with button, and says what it asked.
  void AnswerNextMessageBox(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      asked_ = box->text().toStdString();
      askedTitle_ = box->windowTitle().toStdString();
      box->button(button)->click();
    });
  }

  const std::filesystem::path base_ =
      std::filesystem::temp_directory_path() / ("talvir_ui_test_" + std::to_string(::getpid()));
  std::string asked_;
  std::string askedTitle_;
};

}  // namespace talvir::testing
