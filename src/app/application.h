#pragma once
// The application: the subsystems it creates and wires together, and the
// order in which they are started and stopped. Both front ends (the window
// and the console) drive it.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "acars/vhf_acars_printer.h"
#include "app/acars_message_counter.h"
#include "app/audio_worker.h"
#include "app/external_outputs.h"
#include "app/stamp_clock.h"
#include "audio/capture_driver.h"
#include "audio/wave_in.h"
#include "config/data_paths.h"
#include "config/settings.h"
#include "modem/hfdl_modem.h"
#include "outputs/log_files.h"
#include "outputs/publishing/dde_tcp_server.h"
#include "outputs/publishing/kml_writer.h"
#include "protocol/protocol_stack.h"
#include "vhf/vhf_demodulator.h"

namespace talvir {

struct ApplicationOptions {
  // The console front end runs with flag overrides that must not end up in
  // the user's settings file.
  bool saveSettingsAtExit = true;
  CloseTiming captureCloseTiming{};
  WorkerPause workerPause = WorkerPause::kAfterEveryPass;
  // The live feed's port on 127.0.0.1; none: no feed.
  std::optional<int> ddePort = std::nullopt;
  // Where the KML files go, switched on from the start; none: off until
  // switched on.
  std::optional<std::filesystem::path> kmlFolder = std::nullopt;
  // Opens each KML file written; none for the console.
  KmlViewer* kmlViewer = nullptr;
  // Where the decoders' records go besides the texts (JSON, Basestation);
  // none: nowhere. Outlives the application.
  RecordSink* records = nullptr;
};

class Application {
 public:
  Application(DataPaths paths, std::unique_ptr<CaptureDriver> driver, ApplicationOptions options = {});
  // Runs the shutdown sequence if it has not run.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Defaults, then configs/talvir.ini. Returns settingsLoaded.
  bool LoadSettings();
  // Starts everything, once; the capture device's open result is returned
  // for the front end to report. The worker runs (idle) even when the open
  // failed.
  OpenResult StartupSequence();
  // Closes and reopens capture with the device now in the settings.
  OpenResult ReconfigureCapture();
  void ShutdownSequence();
  // Writes configs/talvir.ini; false when it cannot.
  bool SettingsSave() const;

  Settings& settings() { return settings_; }
  const WaveIn& waveIn() const { return waveIn_; }
  AudioWorker& worker() { return worker_; }
  ProtocolStack& protocol() { return protocol_; }
  const HfdlModem& modem() const { return modem_; }
  // The Statistics window's reset.
  void ResetFrameCounters() { modem_.ResetFrameCounters(); }
  // Set before start-up to stamp a file with its own time.
  StampClock& stamps() { return stamps_; }
  // The stamp of what is decoded now.
  std::time_t StampNow() const { return stamps_.Now(worker_.BlocksProcessed() * kBlockFrames); }
  int AcarsMessagesDecoded() const { return acarsCounter_.Count(); }
  KmlWriter& kml() { return kml_; }
  // Where the map is attached by a front end that has one.
  ExternalOutputs& externalOutputs() { return externalOutputs_; }
  const DataPaths& paths() const { return paths_; }
  // Empty when the feed listens or was not asked for; else why it does not.
  const std::string& FeedError() const { return feedError_; }
  int FeedPort() const { return feed_.Port(); }
  // Publishing timer: the feed's advises.
  void DdePostAdvise() { feed_.DdePostAdvise(); }

 private:
  OpenResult AudioStart();
  void AudioShutdown();

  const DataPaths paths_;
  const ApplicationOptions options_;
  Settings settings_;
  StampClock stamps_;
  // Read only once the worker runs, after everything here is built.
  const UtcClock stampNow_ = [this] { return StampNow(); };
  LogFiles logs_{settings_, paths_, stampNow_};
  DdeServer dde_{settings_};
  DdeTcpServer feed_{dde_};
  std::string feedError_;
  ExternalOutputs externalOutputs_{dde_};
  AcarsMessageCounter acarsCounter_{externalOutputs_};
  // The decoders, constructed before the worker that feeds them and
  // destroyed after it.
  ProtocolStack protocol_{settings_, logs_, externalOutputs_, acarsCounter_, stampNow_,
                          options_.records != nullptr ? *options_.records : RecordSink::None()};
  HfdlModem modem_{protocol_.decoder};
  KmlWriter kml_{protocol_.stations, protocol_.systemTable, stampNow_, options_.kmlViewer};
  VhfAcarsPrinter vhfPrinter_{protocol_.AcarsMessageTargets()};
  VhfDemodulator vhfA_{vhfPrinter_};
  VhfDemodulator vhfB_{vhfPrinter_};
  std::unique_ptr<CaptureDriver> driver_;
  WaveIn waveIn_;
  AudioWorker worker_;
  bool running_ = false;
};

}  // namespace talvir
