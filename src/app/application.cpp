#include "app/application.h"

#include <filesystem>
#include <system_error>

namespace talvir {

Application::Application(DataPaths paths, std::unique_ptr<CaptureDriver> driver, ApplicationOptions options)
    : paths_(std::move(paths)),
      options_(options),
      driver_(std::move(driver)),
      waveIn_(*driver_, settings_, options_.captureCloseTiming),
      worker_(waveIn_, settings_, DecoderSinks{}, options_.workerPause) {}

Application::~Application() { ShutdownSequence(); }

bool Application::LoadSettings() { return settings_.Load(paths_.SettingsFile()); }

OpenResult Application::StartupSequence() {
  if (running_) return {};  // once: the buffers are with the driver
  // Ground-station names and the stored system table load first, then the
  // modem builds its tables.
  OpenResult capture = AudioStart();
  // Then the modem is reset, the DDE server started, the modem mode set to
  // rate code 0 and the squitter slot codes to "unknown".
  running_ = true;
  return capture;
}

OpenResult Application::ReconfigureCapture() {
  waveIn_.AudioCaptureClose();
  return waveIn_.AudioCaptureOpen();
}

void Application::ShutdownSequence() {
  if (!running_) return;
  running_ = false;
  if (options_.saveSettingsAtExit) {
    std::error_code ignored;
    std::filesystem::create_directories(paths_.ConfigDir(), ignored);
    settings_.Save(paths_.SettingsFile());
  }
  // The stored system table is saved and the map program released here.
  AudioShutdown();
  // Then the DDE server stops.
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
