#pragma once
// One QApplication for the test program, without a display.

#include <QApplication>
#include <cstdlib>

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

}  // namespace talvir::testing
