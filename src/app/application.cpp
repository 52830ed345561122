#include "app/application.h"

#include <filesystem>
#include <system_error>

namespace talvir {

namespace {

constexpr int kStereoHfChannels = 2;

std::vector<std::unique_ptr<HfdlChannel>> MakeHfChannels(SharedDecoderState& shared,
                                                         const std::optional<HfdlBandOptions>& band) {
  std::vector<std::unique_ptr<HfdlChannel>> channels;
  const std::size_t count = band ? band->dialsKhz.size() : kStereoHfChannels;
  for (std::size_t k = 0; k < count; ++k) {
    channels.push_back(std::make_unique<HfdlChannel>(shared, static_cast<int>(k)));
    if (band) channels.back()->decoders.NameChannel(band->dialsKhz[k]);
  }
  return channels;
}

std::unique_ptr<HfdlBandDecoder> MakeBand(const std::optional<HfdlBandOptions>& band,
                                          const std::vector<std::unique_ptr<HfdlChannel>>& channels,
                                          std::string& error) {
  if (!band) return nullptr;
  std::vector<HfdlModem*> modems;
  for (const auto& channel : channels) modems.push_back(&channel->modem);
  return HfdlBandDecoder::Create(band->rate, band->centreKhz, band->dialsKhz, modems, band->threads, error);
}

}  // namespace

Application::Application(DataPaths paths, std::unique_ptr<CaptureDriver> driver, ApplicationOptions options)
    : paths_(std::move(paths)),
      options_(std::move(options)),
      hfChannels_(MakeHfChannels(shared_, options_.band)),
      band_(MakeBand(options_.band, hfChannels_, bandError_)),
      driver_(std::move(driver)),
      waveIn_(*driver_, settings_, options_.captureCloseTiming),
      worker_(waveIn_, settings_,
              options_.band ? DecoderSinks{.band = band_.get()}
                            : DecoderSinks{{&hfChannel(0).modem, &hfChannel(1).modem}, &vhfA_, &vhfB_},
              ui_, options_.workerPause) {
  externalOutputs_.AttachKml(&kml_);
  if (band_) band_->SetTap(&spectrum_);
}

uint64_t Application::AudioFramesDecoded() const {
  const uint64_t frames = worker_.BlocksProcessed() * kBlockFrames;
  if (!options_.band) return frames;
  return static_cast<uint64_t>(static_cast<double>(frames) * kSampleRate / options_.band->rate);
}

FrameCounters::Values Application::FrameCountsAllChannels() const {
  FrameCounters::Values sum{};
  for (const auto& channel : hfChannels_) {
    const FrameCounters::Values counts = channel->modem.Counters();
    for (std::size_t k = 0; k < sum.size(); ++k) sum[k] += counts[k];
  }
  return sum;
}

void Application::TickUtcClocks() {
  for (const auto& channel : hfChannels_) channel->decoders.utcClock.UtcClockTick();
}

void Application::SetUtcClockRestartHandler(std::function<void(const HfdlUtcClock&)> handler) {
  for (const auto& channel : hfChannels_) {
    const HfdlUtcClock& clock = channel->decoders.utcClock;
    channel->decoders.utcClock.SetRestartHandler(handler ? std::function<void()>([handler, &clock] { handler(clock); })
                                                         : std::function<void()>());
  }
}

void Application::ResetFrameCounters() {
  for (const auto& channel : hfChannels_) channel->modem.ResetFrameCounters();
}

Application::~Application() { ShutdownSequence(); }

bool Application::LoadSettings() { return settings_.Load(paths_.SettingsFile()); }

OpenResult Application::StartupSequence() {
  if (running_) return {};  // once: the buffers are with the driver
  if (options_.band && !band_) return {OpenStatus::kBadFormat, bandError_};
  GroundStationsLoad(shared_.stations, shared_.systemTable, paths_);
  for (const auto& channel : hfChannels_) {
    channel->decoders.systemTableDecoder.SystemTablePacketsReset();
    channel->decoders.decoder.MarkSlotAssignmentsUnknown();
  }
  // Before the worker runs, so that a file decode writes the same files
  // however fast it goes.
  if (options_.kmlFolder) kml_.KmlEnable(*options_.kmlFolder);
  // The modem is reset before the worker can feed it, not after capture
  // starts: a reset under a running worker would race with its block.
  for (const auto& channel : hfChannels_) {
    channel->modem.Reset();
    channel->modem.ResetFrameCounters();
  }
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
  GroundStationsSave(shared_.systemTable, paths_);
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
