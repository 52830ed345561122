#include "cli/cli_app.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/airband_decoders.h"
#include "app/airband_feed.h"
#include "app/channel_options.h"
#include "app/application.h"
#include "app/window_timers.h"
#include "audio/input_source.h"
#include "audio/portaudio_driver.h"
#include "audio/stream_driver.h"
#include "cli/cli_options.h"
#include "cli/console_ui_link.h"
#include "cli/decode_loop.h"
#include "cli/decode_summary.h"
#include "common/version.h"
#include "config/data_folder.h"
#include "config/settings_text.h"
#include "outputs/records/record_outputs.h"

namespace talvir {
namespace {

constexpr int kExitWriteFailed = 1;
constexpr int kExitInterrupted = 130;

int Fail(std::string_view message) {
  std::fprintf(stderr, "talvir-cli: %.*s\n", static_cast<int>(message.size()), message.data());
  return kExitBadInput;
}

int ListDevices() {
  const PortAudioSession session;
  const std::vector<CaptureDevice> devices = ListCaptureDevices(session);
  if (devices.empty()) {
    std::printf("No capture devices found.\n");
    return kExitOk;
  }
  std::printf("Capture devices (use the name with --device):\n");
  for (const CaptureDevice& device : devices) {
    std::printf("  %2d  %s%s\n", device.index, device.name.c_str(), device.isDefault ? "  (default)" : "");
  }
  return kExitOk;
}

// The input the options ask for: the capture driver and, for a file,
// stdin or UDP, what the run needs to know of it.
struct Input {
  std::unique_ptr<CaptureDriver> driver;
  const StreamDriver* stream = nullptr;  // not the sound card: `driver` itself, kept for its counts
  bool live = false;                     // the sound card, or a stream that ends only when stopped
  int channels = 2;
  double rate = kSampleRate;  // frames per second: an I/Q band keeps its own
  std::time_t estimatedStart = 0;  // UTC of the first frame, when not given
  std::vector<std::string> warnings;
  std::string description;
  AirbandFeed* airband = nullptr;  // the band's channels, owned by the driver
};

// A file's first frame: its last change less its length.
std::time_t EstimatedStart(const std::filesystem::path& path, double seconds) {
  std::error_code ec;
  const auto changed = std::filesystem::last_write_time(path, ec);
  if (ec) return std::time(nullptr);
  const std::time_t end = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(changed)));
  return end - static_cast<std::time_t>(seconds);
}

std::optional<Input> OpenInput(const CliOptions& options, std::string& error) {
  Input input;
  if (options.input || options.ReadsSdr()) {
    std::optional<OpenedInput> opened =
        options.Airband() ? OpenAirbandInput(options.Input(), *options.records.frequencyKhz * 1e3,
                                             options.channels.acarsFreqsMhz, input.airband, error)
                          : OpenInputSource(options.Input(), error);
    if (!opened) return std::nullopt;
    const Pacing pacing = options.realtime ? Pacing::kRealTime : Pacing::kAsFastAsTaken;
    auto stream = std::make_unique<StreamDriver>(std::move(opened->reader), pacing, opened->rate);
    input.stream = stream.get();
    input.driver = std::move(stream);
    input.live = opened->live;
    input.channels = opened->channels;
    input.rate = opened->rate;
    input.estimatedStart = options.input && !options.ReadsStdin() ? EstimatedStart(*options.input, opened->seconds)
                                                                  : std::time(nullptr);
    input.warnings = std::move(opened->warnings);
    input.description = std::move(opened->description);
    return input;
  }
  input.live = true;
  if (options.device) {
    const PortAudioSession session;
    bool found = false;
    for (const CaptureDevice& device : ListCaptureDevices(session)) {
      found = found || MatchesProductName(device.name, *options.device);
    }
    if (!found) {
      error = "no capture device named '" + *options.device + "' (see --list-devices)";
      return std::nullopt;
    }
  }
  input.driver = std::make_unique<PortAudioDriver>();
  return input;
}

// The window's texts name the sound system's error codes; a console user
// gets plain words and what to do.
std::string CaptureOpenFailure(const OpenResult& opened) {
  switch (opened.status) {
    case OpenStatus::kBadDeviceId:
      return "no sound card to capture from (" + opened.detail +
             "); see --list-devices, or decode a recording with --input FILE";
    case OpenStatus::kAllocated:
      return "the sound card is busy: another program is capturing from it (" + opened.detail + ")";
    case OpenStatus::kBadFormat:
      return "the sound card cannot capture 16-bit stereo at 48000 Hz (" + opened.detail + ")";
    default: return "cannot open the sound card: " + opened.detail;
  }
}

// --save-settings and --print-settings.
int RunSettingsAction(const CliOptions& options, const DataPaths& paths) {
  Settings settings;
  settings.Load(paths.SettingsFile());
  ApplyCliOverrides(options, settings);
  if (options.saveSettings) {
    std::error_code ec;
    std::filesystem::create_directories(paths.ConfigDir(), ec);
    if (!settings.Save(paths.SettingsFile())) {
      std::fprintf(stderr, "talvir-cli: cannot write %s\n", paths.SettingsFile().c_str());
      return kExitWriteFailed;
    }
    std::fprintf(stderr, "talvir-cli: settings written to %s\n", paths.SettingsFile().c_str());
  }
  if (options.printSettings) std::fputs(FormatSettingsRecord(settings.Snapshot()).c_str(), stdout);
  return kExitOk;
}

int AircraftInList(const FlightDb& flights) {
  int count = 0;
  for (const AircraftRecord& record : flights.FlightDbSnapshot()) count += record.inUse == 1 ? 1 : 0;
  return count;
}

void ReportEndOfInput(ConsoleUiLink& console, Application& app, const RecordOutputs& records,
                      uint64_t sourceFrames) {
  char line[80];
  std::snprintf(line, sizeof line, "%.2f s of %s decoded", static_cast<double>(sourceFrames) / app.FrameRate(),
                app.FrameRate() != kSampleRate ? "I/Q" : "audio");
  console.Report("end of input", line);
  const DecodeTotals totals{app.FrameCountsAllChannels(), app.AcarsMessagesDecoded(),
                            AircraftInList(app.shared().flights)};
  for (const std::string& summary : DecodeSummaryLines(totals)) console.Report("summary", summary);
  for (const std::string& dropped : records.DropReports()) console.Report("summary", dropped);
}

}  // namespace

int RunTalvirCli(std::span<const std::string_view> args, const std::atomic<int>& stopSignal) {
  const CliParseResult parsed = ParseCliOptions(args);
  if (!parsed.error.empty()) return Fail(parsed.error + " (see --help)");
  const CliOptions& options = parsed.options;
  std::string folderError;
  const std::optional<DataPaths> chosen = ChooseDataPaths({options.configDir, options.userData}, folderError);
  if (!chosen) return Fail(folderError);
  const DataPaths& paths = *chosen;
  switch (options.action) {
    case CliOptions::Action::kHelp: std::fputs(CliHelpText().data(), stdout); return kExitOk;
    case CliOptions::Action::kVersion: std::printf("%s\n", VersionLine("talvir-cli").c_str()); return kExitOk;
    case CliOptions::Action::kListDevices: return ListDevices();
    case CliOptions::Action::kSettings: return RunSettingsAction(options, paths);
    case CliOptions::Action::kDecode: break;
  }

  std::string error;
  std::optional<Input> input = OpenInput(options, error);
  if (!input) return Fail(error);
  // A recording: a file or stdin, which ends and is stamped on its own clock.
  const StreamDriver* recording = input->live ? nullptr : input->stream;

  ConsoleUiLink console(options.records.JsonOnStdout() ? nullptr : stdout, stderr, options.verboseStatus);
  for (const std::string& warning : input->warnings) console.Report("talvir-cli", warning);
  if (!input->description.empty()) console.StatusLine("input", input->description);
  std::optional<HfdlBandOptions> band;
  if (options.DecodesBand()) {
    band = PlanHfdlBand(options.channels, input->rate, *options.records.frequencyKhz, paths, error);
    if (!band) return Fail(error);
    std::vector<std::string> names;
    std::string list;
    for (const double dial : band->dialsKhz) {
      names.push_back(HfdlChannelName(dial));
      list += (list.empty() ? "" : ", ") + names.back();
    }
    console.NameHfChannels(names);
    console.StatusLine("frequency", std::to_string(names.size()) + " HFDL channels: " + list);
  } else if (const auto channel = options.ChannelFrequencyKhz(); channel && !options.Airband()) {
    char line[64];
    std::snprintf(line, sizeof line, "the HFDL channel at %.1f kHz", *channel);
    console.StatusLine("frequency", line);
  }
  // The record outputs outlive the application, whose worker writes to them.
  RecordOutputs records;
  // A channel of a band puts its own frequency into its records.
  error = records.Open(options.records, band ? std::nullopt : options.ChannelFrequencyKhz(),
                       [&console](const std::string& text) { console.Report("json", text); });
  if (!error.empty()) return Fail(error);
  if (const auto sbs = records.SbsAddress()) console.StatusLine("sbs", *sbs);
  const bool fasterThanRealTime = recording != nullptr && !options.realtime;
  // The airband decoders write to the application's outputs, from its worker;
  // declared before it, so they outlive the worker that feeds them.
  std::unique_ptr<AirbandDecoders> airbandDecoders;
  // The decoders' fixed buffers come to about a megabyte: on the heap, not
  // on the stack.
  const auto application = std::make_unique<Application>(
      paths, std::move(input->driver),
      ApplicationOptions{.saveSettingsAtExit = false,
                         .workerPause = fasterThanRealTime ? WorkerPause::kOnlyWhenIdle : WorkerPause::kAfterEveryPass,
                         .ddePort = options.FeedPort(),
                         .kmlFolder = options.kml ? std::optional(paths.base) : std::nullopt,
                         .records = records.Sink(),
                         .band = band});
  Application& app = *application;
  const ScopedUiLink registration(app.ui(), console);
  records.SetClock([&app] { return app.StampNow(); });
  if (!app.LoadSettings()) {
    console.StatusLine("settings", paths.SettingsFile().string() + " not found, using the defaults");
  }
  ApplyCliOverrides(options, app.settings());
  // Two HF receivers: their texts and status lines say which channel.
  if (app.settings().Get(&SettingsRecord::channelAMode) == kChannelHf &&
      app.settings().Get(&SettingsRecord::channelBMode) == kChannelHf) {
    console.NameHfChannels({"A", "B"});
    app.hfChannel(0).decoders.text.SetHeading("[channel A]\r\n");
    app.hfChannel(1).decoders.text.SetHeading("[channel B]\r\n");
  }
  if (input->channels == 1 && app.settings().Get(&SettingsRecord::channelAMode) == kChannelNone) {
    console.Report("talvir-cli", *options.input + " is mono: it is channel A, which is set to none, and channel B "
                                                  "gets silence; nothing will decode (see --channel-a)");
  }
  if (recording != nullptr) {
    app.stamps().StartOnAudio(options.startTime.value_or(input->estimatedStart),
                              options.startTime ? StampClock::Source::kGivenStart
                                                : StampClock::Source::kEstimatedStart);
  }

  WindowTimers timers;
  FlightDb& flights = app.shared().flights;
  timers.Register(kAgeingTimerId, kAgeingPeriod, [&flights] { flights.FlightDbAgeTick(); });
  timers.Register(kPublishTimerId, kPublishPeriod, [&app, &flights] {
    app.DdePostAdvise();
    flights.FlightDbPublish(0);
  });
  timers.Register(kClockTimerId, kClockPeriod, [&app] {
    app.TickUtcClocks();
    app.kml().KmlRefreshGroundStations();
  });
  // A good squitter sets its channel's clock; the next tick comes a second
  // later. The first one also gives the stamps of a file of unknown start
  // their time of day.
  app.SetUtcClockRestartHandler([&timers, &app](const HfdlUtcClock& clock) {
    timers.Restart(kClockTimerId);
    app.stamps().AlignToTimeOfDay(clock.Seconds(), app.AudioFramesDecoded());
  });

  std::function<void()> decodeBand;
  if (input->airband != nullptr) {
    airbandDecoders = std::make_unique<AirbandDecoders>(app.VhfAcarsTargets(), options.channels.acarsFreqsMhz);
    decodeBand = [feed = input->airband, decoders = airbandDecoders.get()] { feed->DecodeBlock(*decoders); };
  }
  if (fasterThanRealTime) {
    RunTimersOnAudioClock(app.worker(), timers, app.FrameRate(), decodeBand);
  } else if (decodeBand) {
    app.worker().SetAfterBlock([decodeBand](uint64_t) { decodeBand(); });
  }
  const OpenResult opened = app.StartupSequence();
  if (!opened.Ok()) {
    app.ShutdownSequence();  // the worker is joined while the timers still exist
    return Fail(CaptureOpenFailure(opened));
  }
  if (!app.FeedError().empty()) {
    console.Report("talvir-cli", "no live feed: " + app.FeedError() +
                                     " (--dde-port picks another port, --dde-port off runs without)");
  } else if (app.FeedPort() != 0) {
    console.StatusLine("live feed", "127.0.0.1 port " + std::to_string(app.FeedPort()));
  }
  const bool ended = RunDecodeLoop(app, timers, fasterThanRealTime ? TimerClock::kAudio : TimerClock::kWall, stopSignal);
  app.ShutdownSequence();
  // What the last seconds changed reaches the files too.
  if (options.kml) flights.FlightDbPublish(0);

  if (ended && recording != nullptr) {
    if (options.verboseStatus || options.summary) ReportEndOfInput(console, app, records, recording->SourceFrames());
    return kExitOk;
  }
  return recording != nullptr ? kExitInterrupted : kExitOk;
}

}  // namespace talvir
