#include "ui/talvir_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/airband_decoders.h"
#include "app/airband_feed.h"
#include "app/application.h"
#include "app/channel_options.h"
#include "audio/input_source.h"
#include "audio/portaudio_driver.h"
#include "audio/stream_driver.h"
#include "common/version.h"
#include "config/data_folder.h"
#include "outputs/publishing/kml_viewer_launcher.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_layout.h"
#include "ui/talvir_options.h"
#include "ui/window_record_outputs.h"

namespace talvir {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 2;
constexpr int kExitScreenshotFailed = 1;

int Fail(const std::string& message) {
  std::fprintf(stderr, "talvir: %s\n", message.c_str());
  return kExitBadInput;
}

bool SavePicture(QWidget& widget, const std::filesystem::path& file) {
  if (widget.grab().save(QString::fromStdString(file.string()))) return true;
  std::fprintf(stderr, "talvir: cannot write %s\n", file.c_str());
  return false;
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
  std::string folderError;
  const std::optional<DataPaths> chosen = ChooseDataPaths({options.configDir, options.userData}, folderError);
  if (!chosen) return Fail(folderError);
  const DataPaths& paths = *chosen;
  std::unique_ptr<CaptureDriver> driver;
  std::optional<HfdlBandOptions> band;
  AirbandFeed* airband = nullptr;  // owned by the driver
  const bool soundCard = !options.input && !options.inputOptions.sdrArgs;
  if (!soundCard) {
    std::string error;
    const ChannelOptions& channels = options.channels;
    auto input = channels.Airband() ? OpenAirbandInput(options.Input(), *options.records.frequencyKhz * 1e3,
                                                       channels.acarsFreqsMhz, airband, error)
                                    : OpenInputSource(options.Input(), error);
    if (!input) return Fail(error);
    for (const std::string& warning : input->warnings) std::fprintf(stderr, "talvir: %s\n", warning.c_str());
    if (channels.DecodesBand()) {
      band = PlanHfdlBand(channels, input->rate, *options.records.frequencyKhz, paths, error);
      if (!band) return Fail(error);
    }
    // A live stream comes at its own pace.
    driver = std::make_unique<StreamDriver>(std::move(input->reader),
                                            input->live ? Pacing::kAsFastAsTaken : Pacing::kRealTime, input->rate);
  } else {
    driver = std::make_unique<PortAudioDriver>();
  }

  // The record outputs outlive the application, whose worker writes to them.
  RecordOutputs records;
  if (const std::string error = OpenWindowRecordOutputs(options, records); !error.empty()) return Fail(error);

  QApplication qt(argc, argv);
  // "Google Earth" hands the KML files to a globe viewer; the status line
  // says when there is none.
  CMainDialog* shown = nullptr;
  const char* searchPath = std::getenv("PATH");
  KmlViewerLauncher viewer(
      searchPath != nullptr ? searchPath : "",
      [&shown](std::string_view text) {
        if (shown != nullptr) shown->SetModemStatus(kShownHfChannel, text);
      },
      LaunchDetached);
  // The airband decoders write to the application's outputs from its
  // worker: made before it, they outlive the worker that feeds them.
  std::unique_ptr<AirbandDecoders> airbandDecoders;
  // The decoders' fixed buffers come to about a megabyte: on the heap.
  const auto app = std::make_unique<Application>(
      paths, std::move(driver),
      ApplicationOptions{.ddePort = options.feedPort, .kmlViewer = &viewer, .records = records.Sink(), .band = band});
  app->LoadSettings();
  if (airband != nullptr) {
    airbandDecoders = std::make_unique<AirbandDecoders>(app->VhfAcarsTargets(), options.channels.acarsFreqsMhz);
    app->worker().SetAfterBlock(
        [airband, decoders = airbandDecoders.get()](uint64_t) { airband->DecodeBlock(*decoders); });
  }
  CMainDialog window(*app, soundCard);
  shown = &window;
  AttachWindowRecordOutputs(records, *app, window.statisticsWindow());
  window.show();
  window.StartUp();
  if (!app->FeedError().empty()) {
    std::fprintf(stderr, "talvir: no live feed: %s (--dde-port picks another port, --dde-port off runs without)\n",
                 app->FeedError().c_str());
  }
  if (options.mapScreenshot) static_cast<QCheckBox*>(window.control(main_dialog::kDxAtlas))->click();
  int status = kExitOk;
  if (options.screenshot || options.mapScreenshot) {
    QTimer::singleShot(std::chrono::seconds(options.screenshotSeconds), &window, [&] {
      if (options.screenshot && !SavePicture(window, *options.screenshot)) status = kExitScreenshotFailed;
      MapWindow* map = window.map().window();
      if (options.mapScreenshot && (map == nullptr || !SavePicture(*map, *options.mapScreenshot))) {
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
