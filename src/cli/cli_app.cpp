#include "cli/cli_app.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/window_timers.h"
#include "audio/portaudio_driver.h"
#include "audio/raw_pcm_reader.h"
#include "audio/sound_file_reader.h"
#include "audio/stream_driver.h"
#include "cli/cli_options.h"
#include "cli/console_ui_link.h"
#include "cli/decode_loop.h"

namespace talvir {
namespace {

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

// The capture driver the options ask for, or an error line.
std::unique_ptr<CaptureDriver> MakeDriver(const CliOptions& options, std::string& error) {
  const Pacing pacing = options.realtime ? Pacing::kRealTime : Pacing::kAsFastAsTaken;
  if (options.ReadsStdin()) {
    if (isatty(STDIN_FILENO)) {
      error = "--input - reads raw PCM from a pipe, not from a terminal";
      return nullptr;
    }
    return std::make_unique<StreamDriver>(std::make_unique<RawPcmReader>(STDIN_FILENO), pacing);
  }
  if (options.input) {
    auto reader = SoundFileReader::Open(*options.input, error);
    if (!reader) return nullptr;
    return std::make_unique<StreamDriver>(std::move(reader), pacing);
  }
  if (options.device) {
    const PortAudioSession session;
    bool found = false;
    for (const CaptureDevice& device : ListCaptureDevices(session)) {
      found = found || MatchesProductName(device.name, *options.device);
    }
    if (!found) {
      error = "no capture device named '" + *options.device + "' (see --list-devices)";
      return nullptr;
    }
  }
  return std::make_unique<PortAudioDriver>();
}

}  // namespace

int RunTalvirCli(std::span<const std::string_view> args, const std::atomic<int>& stopSignal) {
  const CliParseResult parsed = ParseCliOptions(args);
  if (!parsed.error.empty()) return Fail(parsed.error + " (see --help)");
  const CliOptions& options = parsed.options;
  switch (options.action) {
    case CliOptions::Action::kHelp: std::fputs(CliHelpText().data(), stdout); return kExitOk;
    case CliOptions::Action::kVersion: std::printf("talvir-cli %s\n", CliVersion().data()); return kExitOk;
    case CliOptions::Action::kListDevices: return ListDevices();
    case CliOptions::Action::kDecode: break;
  }

  DataPaths paths;
  if (options.configDir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(*options.configDir, ec)) {
      return Fail("--config-dir: " + options.configDir->string() + " is not a folder");
    }
    paths.base = *options.configDir;
  }
  std::string error;
  std::unique_ptr<CaptureDriver> driver = MakeDriver(options, error);
  if (!driver) return Fail(error);

  ConsoleUiLink console(stdout, stderr, options.verboseStatus);
  const ScopedUiLink registration(console);
  const bool fromFile = options.input.has_value();
  const bool fasterThanRealTime = fromFile && !options.realtime;
  // The decoders' fixed buffers come to about a megabyte: on the heap, not
  // on the stack.
  const auto application = std::make_unique<Application>(
      paths, std::move(driver),
      ApplicationOptions{.saveSettingsAtExit = false,
                         .workerPause = fasterThanRealTime ? WorkerPause::kOnlyWhenIdle : WorkerPause::kAfterEveryPass});
  Application& app = *application;
  if (!app.LoadSettings()) {
    console.StatusLine("settings", paths.SettingsFile().string() + " not found, using the defaults");
  }
  ApplyCliOverrides(options, app.settings());
  WindowTimers timers;
  ProtocolStack& protocol = app.protocol();
  timers.Register(kAgeingTimerId, kAgeingPeriod, [&protocol] { protocol.flights.FlightDbAgeTick(); });
  timers.Register(kPublishTimerId, kPublishPeriod, [&protocol] { protocol.flights.FlightDbPublish(0); });
  timers.Register(kClockTimerId, kClockPeriod, [&protocol] { protocol.utcClock.UtcClockTick(); });
  // A good squitter sets the clock; its next tick comes a second later.
  protocol.utcClock.SetRestartHandler([&timers] { timers.Restart(kClockTimerId); });

  if (fasterThanRealTime) HoldWorkerAtNextTick(app.worker(), timers);
  const OpenResult opened = app.StartupSequence();
  if (!opened.Ok()) {
    app.ShutdownSequence();  // the worker is joined while the timers still exist
    const std::string_view message = OpenFailureMessage(opened.status);
    return Fail(message.empty() ? "cannot open the capture device: " + opened.detail
                                : std::string(message) + " (" + opened.detail + ")");
  }
  const bool ended = RunDecodeLoop(app, timers, fasterThanRealTime ? TimerClock::kAudio : TimerClock::kWall, stopSignal);
  app.ShutdownSequence();

  if (ended) {
    const uint64_t blocks = app.worker().BlocksProcessed();
    char summary[80];
    std::snprintf(summary, sizeof summary, "%llu blocks, %.2f s of audio decoded",
                  static_cast<unsigned long long>(blocks), static_cast<double>(blocks) * kBlockFrames / kSampleRate);
    console.StatusLine("end of input", summary);
    return kExitOk;
  }
  return fromFile ? kExitInterrupted : kExitOk;
}

}  // namespace talvir
