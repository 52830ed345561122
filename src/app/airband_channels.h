#pragma once
// The audio of every ACARS channel of an airband I/Q band, as AM receivers
// tuned to each would deliver it: cut out, envelope-demodulated and brought
// to the VHF demodulator's 48000 samples/s.

#include <complex>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/sample_rate_converter.h"
#include "sdr/am_demodulator.h"
#include "sdr/channel_cutter.h"

namespace talvir {

// Where each channel's audio goes, piece by piece, channels in order.
class ChannelAudioSink {
 public:
  virtual ~ChannelAudioSink() = default;
  // 48000 samples/s; valid during the call.
  virtual void OnChannelAudio(std::size_t channel, std::span<const float> audio) = 0;
};

class AirbandChannels final : BasebandSink {
 public:
  // An AM channel of 25 kHz spacing: the carrier, its sidebands and what an
  // aircraft's transmitter may stray, kept; the neighbours stopped.
  static constexpr double kPassHz = 7000.0;
  static constexpr double kStopHz = 14000.0;

  // Nothing, with the reason in error, when a channel lies outside the band
  // or the band is too slow. Frequencies in Hz.
  static std::unique_ptr<AirbandChannels> Create(double bandRate, double centreHz, std::span<const double> channelsHz,
                                                 std::string& error);

  std::size_t Channels() const { return channels_.size(); }
  // Band samples cut in one go; a caller that bounds what it gathers feeds
  // no more at a time.
  std::size_t HopSamples() const { return cutter_->HopSamples(); }

  void Process(std::span<const std::complex<float>> band, ChannelAudioSink& sink);
  // The end of the band: what the filters hold comes out.
  void Finish(ChannelAudioSink& sink);

 private:
  struct Channel {
    AmDemodulator am;
    std::unique_ptr<SampleRateConverter> resampler;  // none when the cut rate is 48000
  };

  AirbandChannels(std::unique_ptr<ChannelCutter> cutter, std::size_t channels);
  void OnBaseband(std::size_t channel, std::span<const std::complex<float>> samples) override;
  void Resample(std::size_t channel, std::span<const float> audio);

  std::unique_ptr<ChannelCutter> cutter_;
  std::vector<Channel> channels_;
  ChannelAudioSink* sink_ = nullptr;  // during Process
  std::vector<float> audio_;          // one hop of one channel at the cut rate
  std::vector<float> resampled_;      // and at 48000
};

}  // namespace talvir
