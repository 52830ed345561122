#include "app/application.h"

#include <filesystem>
#include <system_error>

namespace talvir {

Application::Application(DataPaths paths, std::unique_ptr<CaptureDriver> driver, ApplicationOptions options)
    : paths_(std::move(paths)),
      options_(options),
      driver_(std::move(driver)),
      waveIn_(*driver_, settings_, options_.captureCloseTiming),
      worker_(waveIn_, settings_, DecoderSinks{&modem_, &vhfA_, &vhfB_}, options_.workerPause) {
  protocol_.decoder.ConnectSlotClock(&modem_);
  externalOutputs_.AttachKml(&kml_);
}

Application::~Application() { ShutdownSequence(); }

bool Application::LoadSettings() { return settings_.Load(paths_.SettingsFile()); }

OpenResult Application::StartupSequence() {
  if (running_) return {};  // once: the buffers are with the driver
  GroundStationsLoad(protocol_.stations, protocol_.systemTable, paths_);
  protocol_.systemTableDecoder.SystemTablePacketsReset();
  protocol_.decoder.MarkSlotAssignmentsUnknown();
  // Before the worker runs, so that a file decode writes the same files
  // however fast it goes.
  if (options_.kmlFolder) kml_.KmlEnable(*options_.kmlFolder);
  // The modem is reset before the worker can feed it, not after capture
  // starts: a reset under a running worker would race with its block.
  modem_.Reset();
  modem_.ResetFrameCounters();
  // The feed too: a file decode posts its advises from the worker.
  dde_.DdeServerStart();
  if (options_.ddePort) feedError_ = feed_.Listen(*options_.ddePort);
  OpenResult capture = AudioStart();
  running_ = true;
  return capture;
}

OpenResult Application::ReconfigureCapture() {
  waveIn_.AudioCaptureClose();
  return waveIn_.AudioCaptureOpen();
}

bool Application::SettingsSave() const {
  std::error_code ignored;
  std::filesystem::create_directories(paths_.ConfigDir(), ignored);
  return settings_.Save(paths_.SettingsFile());
}

void Application::ShutdownSequence() {
  if (!running_) return;
  running_ = false;
  if (options_.saveSettingsAtExit) SettingsSave();
  GroundStationsSave(protocol_.systemTable, paths_);
  AudioShutdown();
  feed_.Stop();
}

OpenResult Application::AudioStart() {
  if (!waveIn_.Allocate()) return {OpenStatus::kNoMemory, "cannot allocate the capture buffers"};
  OpenResult result = waveIn_.AudioCaptureOpen();
  worker_.Start();
  return result;
}

void Application::AudioShutdown() {
  waveIn_.AudioCaptureClose();
  waveIn_.workerStop = 1;
  // Joined before the buffers and the queue it reads are freed.
  worker_.Join();
  waveIn_.Release();
}

}  // namespace talvir
