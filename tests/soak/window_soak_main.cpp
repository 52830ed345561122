// talvir-soak-window: the desktop program's pipeline (the application under
// the main window, its timers, notifications and drawing) fed a day of
// generated audio; run it offscreen (QT_QPA_PLATFORM=offscreen).

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>

#include "soak_session.h"
#include "ui/main_dialog.h"

int main(int argc, char** argv) {
  using namespace talvir;
  soak::SoakOptions options;
  if (const auto status = soak::ReadSoakCommandLine(argc, argv, options)) return *status;
  int qtArgc = 1;
  QApplication qt(qtArgc, argv);
  soak::SoakSession session(options);
  const auto app = std::make_unique<Application>(session.paths(), session.TakeDriver(), session.AppOptions());
  app->LoadSettings();
  session.Prepare(*app);
  CMainDialog window(*app, false);
  window.show();
  if (!window.StartUp().Ok()) {
    std::fprintf(stderr, "talvir-soak-window: the generated input did not open\n");
    return 2;
  }
  // The input's end, as the console's decode loop sees it.
  QTimer end;
  QObject::connect(&end, &QTimer::timeout, &window, [&] {
    if (app->waveIn().SourceExhausted() && app->worker().BlocksProcessed() == app->waveIn().BlocksQueued()) {
      end.stop();
      window.Exit(false);
    }
  });
  end.start(100);
  QObject::connect(&window, &QDialog::finished, &qt, &QApplication::quit);
  qt.exec();
  return session.Finish(*app, "window");
}
