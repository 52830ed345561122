#pragma once
// The application: the subsystems it creates and wires together, and the
// order in which they are started and stopped. Both front ends (the window
// and the console) drive it.

#include <memory>

#include "app/audio_worker.h"
#include "audio/capture_driver.h"
#include "audio/wave_in.h"
#include "config/data_paths.h"
#include "config/settings.h"

namespace talvir {

struct ApplicationOptions {
  // The console front end runs with flag overrides that must not end up in
  // the user's settings file.
  bool saveSettingsAtExit = true;
  CloseTiming captureCloseTiming{};
  WorkerPause workerPause = WorkerPause::kAfterEveryPass;
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

  Settings& settings() { return settings_; }
  const WaveIn& waveIn() const { return waveIn_; }
  AudioWorker& worker() { return worker_; }

 private:
  OpenResult AudioStart();
  void AudioShutdown();

  const DataPaths paths_;
  const ApplicationOptions options_;
  Settings settings_;
  std::unique_ptr<CaptureDriver> driver_;
  WaveIn waveIn_;
  // The decoders are members here, constructed before the worker that feeds
  // them and destroyed after it.
  AudioWorker worker_;
  bool running_ = false;
};

}  // namespace talvir
