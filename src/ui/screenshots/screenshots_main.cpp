// talvir-screenshots: plays a recording through the real window at real time
// and saves pictures of the main window, the information windows and every
// dialog, for the manual and the README.

#include <QApplication>
#include <QCheckBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "audio/input_source.h"
#include "audio/stream_driver.h"
#include "ui/information_windows.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_layout.h"
#include "ui/settings_dialogs.h"
#include "ui/sound_card_dialog.h"

namespace talvir {
namespace {

constexpr int kDefaultSeconds = 90;  // the demo lasts 97 s; its system table comes late
constexpr const char* kUsage =
    "usage: talvir-screenshots --input FILE --output DIR [--seconds N]\n"
    "Plays FILE through the window at real time and after N seconds (default 90)\n"
    "saves PNGs of the main window, the information windows and each dialog into DIR.\n";

// What a listener would have ticked: everything but preambles, hex and verbose.
constexpr int32_t SettingsRecord::*kShownCategories[] = {
    &SettingsRecord::showSpdu, &SettingsRecord::showMpdu,   &SettingsRecord::showLpdu,  &SettingsRecord::showBdu,
    &SettingsRecord::showHfnpdu, &SettingsRecord::showVAcars, &SettingsRecord::showHAcars,
};

class Pictures {
 public:
  explicit Pictures(std::filesystem::path folder) : folder_(std::move(folder)) {}

  void Save(QWidget& widget, const std::string& name) {
    widget.show();
    widget.raise();
    QApplication::processEvents();
    const std::filesystem::path file = folder_ / (name + ".png");
    if (widget.grab().save(QString::fromStdString(file.string()))) {
      std::printf("%s\n", file.c_str());
    } else {
      std::fprintf(stderr, "talvir-screenshots: cannot write %s\n", file.c_str());
      failed_ = true;
    }
  }
  bool failed() const { return failed_; }

 private:
  std::filesystem::path folder_;
  bool failed_ = false;
};

void SaveEverything(CMainDialog& window, Application& app, Pictures& pictures) {
  pictures.Save(window, "talvir-main-window");
  static_cast<QCheckBox*>(window.control(main_dialog::kSquitters))->click();
  pictures.Save(window.squittersWindow(), "talvir-squitters");
  static_cast<QCheckBox*>(window.control(main_dialog::kSysTable))->click();
  pictures.Save(window.systemTableWindow(), "talvir-system-table");
  window.menuCommand(main_dialog::kShowFrameStatistics)->trigger();
  pictures.Save(window.statisticsWindow(), "talvir-statistics");

  Settings& settings = app.settings();
  const auto noSave = [] {};
  const std::vector<std::pair<std::string, std::function<std::unique_ptr<QDialog>()>>> dialogs = {
      {"talvir-dialog-dde", [&] { return std::make_unique<CDialogDdeConfig>(settings, noSave, &window); }},
      {"talvir-dialog-logfile", [&] { return std::make_unique<CDialogLogfileConfig>(settings, noSave, &window); }},
      {"talvir-dialog-timeouts", [&] { return std::make_unique<CDialogTimeouts>(settings, &window); }},
      {"talvir-dialog-channel", [&] { return std::make_unique<CDialogChannelConfig>(settings, noSave, &window); }},
      {"talvir-dialog-spectrum", [&] { return std::make_unique<CDialogSpectrumChannel>(settings, &window); }},
      {"talvir-dialog-sound-card",
       [&] { return std::make_unique<CDialogSoundCard>(settings, CaptureDeviceNames(), &window); }},
      {"talvir-about", [&] { return std::make_unique<CAboutDlg>(&window); }},
      {"talvir-critical-warning", [&] { return std::make_unique<CDialogCriticalWarning>(&window); }},
  };
  for (const auto& [name, make] : dialogs) {
    const std::unique_ptr<QDialog> dialog = make();
    pictures.Save(*dialog, name);
    dialog->reject();
  }
}

int Run(int argc, char** argv) {
  std::string input;
  std::filesystem::path output;
  int seconds = kDefaultSeconds;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--input" && hasValue) {
      input = argv[++i];
    } else if (arg == "--output" && hasValue) {
      output = argv[++i];
    } else if (arg == "--seconds" && hasValue) {
      seconds = std::atoi(argv[++i]);
    } else {
      std::fputs(kUsage, arg == "--help" ? stdout : stderr);
      return arg == "--help" ? 0 : 2;
    }
  }
  if (input.empty() || output.empty() || seconds <= 0) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(output, ec);
  std::string error;
  auto opened = OpenInputSource({.path = input}, error);
  if (!opened) {
    std::fprintf(stderr, "talvir-screenshots: %s\n", error.c_str());
    return 2;
  }

  QApplication qt(argc, argv);
  // Settings of their own, so the user's stay untouched.
  const QTemporaryDir configDir;
  const auto app = std::make_unique<Application>(DataPaths{configDir.path().toStdString()},
                                                 std::make_unique<StreamDriver>(std::move(opened->reader), Pacing::kRealTime));
  Settings& settings = app->settings();
  settings.Set(&SettingsRecord::channelAMode, kChannelHf);
  settings.Set(&SettingsRecord::channelBMode, kChannelVhf);
  settings.Set(&SettingsRecord::spectrumChannel, kSpectrumChannelA);
  for (const auto field : kShownCategories) settings.Set(field, 1);
  settings.Set(&SettingsRecord::settingsLoaded, 1);

  CMainDialog window(*app, false);
  window.show();
  window.StartUp();
  Pictures pictures(output);
  QTimer::singleShot(std::chrono::seconds(seconds), &window, [&] {
    SaveEverything(window, *app, pictures);
    window.Exit(false);
  });
  QObject::connect(&window, &QDialog::finished, &qt, &QApplication::quit);
  qt.exec();
  return pictures.failed() ? 1 : 0;
}

}  // namespace
}  // namespace talvir

int main(int argc, char** argv) { return talvir::Run(argc, argv); }
