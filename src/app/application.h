#pragma once
// The application: the subsystems it creates and wires together, and the
// order in which they are started and stopped. Both front ends (the window
// and the console) drive it.

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acars/vhf_acars_printer.h"
#include "app/acars_message_counter.h"
#include "app/audio_worker.h"
#include "app/external_outputs.h"
#include "app/channel_spectrum.h"
#include "app/hfdl_band_decoder.h"
#include "app/hfdl_channel.h"
#include "app/stamp_clock.h"
#include "audio/capture_driver.h"
#include "audio/wave_in.h"
#include "config/data_paths.h"
#include "config/settings.h"
#include "outputs/log_files.h"
#include "outputs/publishing/dde_tcp_server.h"
#include "outputs/publishing/kml_writer.h"
#include "protocol/protocol_stack.h"
#include "vhf/vhf_demodulator.h"

namespace talvir {

// Many HFDL channels of one SDR band instead of the sound card's two
// channels: the capture blocks carry the band's I/Q.
struct HfdlBandOptions {
  double rate = 0;         // I/Q samples per second
  double centreKhz = 0;    // the band's centre
  std::vector<double> dialsKhz;  // one HFDL channel each
  int threads = 1;         // how many run the channels' modems
};

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
  // An SDR band; none: the two channels of a sound card.
  std::optional<HfdlBandOptions> band = std::nullopt;
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
  // The front end attaches itself here to get the decoders' notifications.
  UiLinkRelay& ui() { return ui_; }
  // What every channel's decoders share: aircraft, stations, system table.
  SharedDecoderState& shared() { return shared_; }
  const SharedDecoderState& shared() const { return shared_; }
  // The HFDL channels: one per channel of an SDR band, in its order; else
  // two, 0 fed by the first stereo channel set to HF, 1 by the second.
  int HfChannelCount() const { return static_cast<int>(hfChannels_.size()); }
  HfdlChannel& hfChannel(int index) { return *hfChannels_[static_cast<std::size_t>(index)]; }
  const HfdlChannel& hfChannel(int index) const { return *hfChannels_[static_cast<std::size_t>(index)]; }
  // The dials of an SDR band's channels in kHz, in their order; empty for
  // a sound card.
  std::span<const double> HfChannelDials() const {
    return options_.band ? std::span<const double>(options_.band->dialsKhz) : std::span<const double>();
  }
  // The channel whose status, squitters, constellation and waterfall the
  // window shows; any thread.
  int ShownHfChannel() const { return spectrum_.TappedChannel(); }
  void ShowHfChannel(int index) {
    if (index >= 0 && index < HfChannelCount()) spectrum_.Show(index);
  }
  // Capture frames per second: 48000, or an SDR band's rate.
  double FrameRate() const { return options_.band ? options_.band->rate : kSampleRate; }
  // The capture frames decoded so far, as 48000/s audio frames: the clock
  // of the stamps and timers.
  uint64_t AudioFramesDecoded() const;
  // Every channel's frame counters added up.
  FrameCounters::Values FrameCountsAllChannels() const;
  // The Statistics window's reset.
  void ResetFrameCounters();
  // Every channel's UTC clock: the one-second timer ticks them all, and a
  // squitter that sets one calls the handler with it. Set before start-up.
  void TickUtcClocks();
  void SetUtcClockRestartHandler(std::function<void(const HfdlUtcClock&)> handler);
  // Set before start-up to stamp a file with its own time.
  StampClock& stamps() { return stamps_; }
  // The stamp of what is decoded now.
  std::time_t StampNow() const { return stamps_.Now(AudioFramesDecoded()); }
  int AcarsMessagesDecoded() const { return acarsCounter_.Count(); }
  // Where VHF ACARS decoded beside the capture blocks (an airband band's
  // channels) print: the VHF text, on the worker thread.
  AcarsMessageOutputs VhfAcarsTargets() { return shared_.AcarsMessageTargets(vhfText_); }
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
  UiLinkRelay ui_;
  // The decoders, constructed before the worker that feeds them and
  // destroyed after it.
  SharedDecoderState shared_{settings_,
                             logs_,
                             externalOutputs_,
                             acarsCounter_,
                             stampNow_,
                             options_.records != nullptr ? *options_.records : RecordSink::None(),
                             ui_};
  std::vector<std::unique_ptr<HfdlChannel>> hfChannels_;
  std::string bandError_;  // why the band's channels could not be cut
  std::unique_ptr<HfdlBandDecoder> band_;
  ChannelSpectrum spectrum_{ui_};  // a band's: the shown channel's waterfall
  KmlWriter kml_{shared_.stations, shared_.systemTable, stampNow_, options_.kmlViewer};
  DecodedText vhfText_{settings_, &logs_, ui_};
  VhfAcarsPrinter vhfPrinter_{shared_.AcarsMessageTargets(vhfText_)};
  VhfDemodulator vhfA_{vhfPrinter_};
  VhfDemodulator vhfB_{vhfPrinter_};
  std::unique_ptr<CaptureDriver> driver_;
  WaveIn waveIn_;
  AudioWorker worker_;
  bool running_ = false;
};

}  // namespace talvir
