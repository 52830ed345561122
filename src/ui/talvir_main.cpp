#include "ui/talvir_main.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "audio/input_source.h"
#include "audio/portaudio_driver.h"
#include "audio/stream_driver.h"
#include "common/version.h"
#include "ui/main_dialog.h"
#include "ui/talvir_options.h"

namespace talvir {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 2;
constexpr int kExitScreenshotFailed = 1;

int Fail(const std::string& message) {
  std::fprintf(stderr, "talvir: %s\n", message.c_str());
  return kExitBadInput;
}

}  // namespace

int RunTalvir(int& argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const TalvirParseResult parsed = ParseTalvirOptions(args);
  if (!parsed.error.empty()) return Fail(parsed.error + " (see --help)");
  const TalvirOptions& options = parsed.options;
  if (options.action == TalvirOptions::Action::kHelp) {
    std::fputs(TalvirHelpText().data(), stdout);
    return kExitOk;
  }
  if (options.action == TalvirOptions::Action::kVersion) {
    std::printf("%s\n", VersionLine("talvir").c_str());
    return kExitOk;
  }
  DataPaths paths;
  if (options.configDir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(*options.configDir, ec)) {
      return Fail("--config-dir: " + options.configDir->string() + " is not a folder");
    }
    paths.base = *options.configDir;
  }
  std::unique_ptr<CaptureDriver> driver;
  if (options.input) {
    std::string error;
    auto input = OpenInputSource(options.inputOptions.Spec(options.input->string()), error);
    if (!input) return Fail(error);
    for (const std::string& warning : input->warnings) std::fprintf(stderr, "talvir: %s\n", warning.c_str());
    // A live stream comes at its own pace.
    driver = std::make_unique<StreamDriver>(std::move(input->reader), input->live ? Pacing::kAsFastAsTaken
                                                                                  : Pacing::kRealTime);
  } else {
    driver = std::make_unique<PortAudioDriver>();
  }

  QApplication qt(argc, argv);
  // The decoders' fixed buffers come to about a megabyte: on the heap.
  const auto app = std::make_unique<Application>(paths, std::move(driver));
  app->LoadSettings();
  CMainDialog window(*app);
  window.show();
  window.StartUp();
  int status = kExitOk;
  if (options.screenshot) {
    QTimer::singleShot(std::chrono::seconds(options.screenshotSeconds), &window, [&] {
      if (!window.grab().save(QString::fromStdString(options.screenshot->string()))) {
        std::fprintf(stderr, "talvir: cannot write %s\n", options.screenshot->c_str());
        status = kExitScreenshotFailed;
      }
      window.Exit(false);
    });
  }
  QObject::connect(&window, &QDialog::finished, &qt, &QApplication::quit);
  qt.exec();
  return status;
}

}  // namespace talvir
