#pragma once
// A fixture for tests that run the application behind a window: a scratch
// folder for configs/ and logfiles/, removed afterwards, and the demo
// recording as the capture device.

#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "audio/input_source.h"
#include "audio/stream_driver.h"
#include "qt_test_app.h"
#include "support/temp_dir.h"

namespace talvir::testing {

class AppWindowTest : public ::testing::Test {
 protected:
  AppWindowTest() { QtTestApp(); }

  // As after a start with a settings file (no first-run warning), unless
  // told otherwise.
  std::unique_ptr<Application> MakeApp(std::unique_ptr<CaptureDriver> driver, bool settingsLoaded = true,
                                       ApplicationOptions options = {}) {
    auto app = std::make_unique<Application>(DataPaths{base_}, std::move(driver), std::move(options));
    app->settings().Set(&SettingsRecord::settingsLoaded, settingsLoaded ? 1 : 0);
    return app;
  }

  // The demo, delivered as fast as the worker takes it.
  static std::unique_ptr<StreamDriver> DemoDriver() {
    std::string error;
    auto input = OpenInputSource({.path = TALVIR_DEMO_WAV}, error);
    if (!input) throw std::runtime_error(error);
    return std::make_unique<StreamDriver>(std::move(input->reader), Pacing::kAsFastAsTaken);
  }
  // Until the driver has delivered everything and the window has drawn it.
  static void PlayToTheEnd(const StreamDriver& driver) {
    while (!driver.Exhausted()) QTest::qWait(20);
    QTest::qWait(300);
  }

  const TempDir temp_;
  const std::filesystem::path base_ = temp_.path();
};

}  // namespace talvir::testing
