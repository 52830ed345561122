#include "app/airband_channels.h"

#include <cmath>
#include <cstdio>

#include "common/decoder_links.h"

namespace talvir {
namespace {

std::string Mhz(double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f MHz", hz / 1e6);
  return text;
}

}  // namespace

std::unique_ptr<AirbandChannels> AirbandChannels::Create(double bandRate, double centreHz,
                                                         std::span<const double> channelsHz, std::string& error) {
  if (!(bandRate >= kSampleRate)) {
    error = "ACARS channels are cut from I/Q of at least 48000 samples/s";
    return nullptr;
  }
  std::vector<double> offsets;
  for (const double channel : channelsHz) {
    const double offset = channel - centreHz;
    if (!(std::abs(offset) + kPassHz <= bandRate / 2)) {
      error = Mhz(channel) + " lies outside the I/Q band, " + Mhz(centreHz - bandRate / 2 + kPassHz) + " to " +
              Mhz(centreHz + bandRate / 2 - kPassHz) + " (--freq is the band's centre)";
      return nullptr;
    }
    offsets.push_back(offset);
  }
  const ChannelShape shape{.decimation = DecimationFor(bandRate, kSampleRate), .passHz = kPassHz, .stopHz = kStopHz};
  auto cutter = ChannelCutter::Create(bandRate, shape, offsets, error);
  if (!cutter) return nullptr;
  return std::unique_ptr<AirbandChannels>(new AirbandChannels(std::move(cutter), offsets.size()));
}

AirbandChannels::AirbandChannels(std::unique_ptr<ChannelCutter> cutter, std::size_t channels)
    : cutter_(std::move(cutter)) {
  const double rate = cutter_->OutputRate();
  for (std::size_t c = 0; c < channels; ++c) {
    channels_.push_back({AmDemodulator(rate), rate == kSampleRate ? nullptr
                                                                  : std::make_unique<SampleRateConverter>(
                                                                        rate, kSampleRate, 1)});
  }
  audio_.resize(cutter_->HopSamples());
  resampled_.resize(2 * cutter_->HopSamples());
}

void AirbandChannels::Process(std::span<const std::complex<float>> band, ChannelAudioSink& sink) {
  sink_ = &sink;
  cutter_->Process(band, *this);
  sink_ = nullptr;
}

void AirbandChannels::Finish(ChannelAudioSink& sink) {
  // One hop of silence pushes the last band samples through the cutter.
  const std::vector<std::complex<float>> silence(cutter_->HopSamples());
  Process(silence, sink);
  sink_ = &sink;
  for (std::size_t c = 0; c < channels_.size(); ++c) {
    if (channels_[c].resampler) Resample(c, {});
  }
  sink_ = nullptr;
}

void AirbandChannels::OnBaseband(std::size_t channel, std::span<const std::complex<float>> samples) {
  const std::span<float> audio = std::span(audio_).first(samples.size());
  channels_[channel].am.Process(samples, audio);
  if (channels_[channel].resampler) {
    Resample(channel, audio);
  } else {
    sink_->OnChannelAudio(channel, audio);
  }
}

void AirbandChannels::Resample(std::size_t channel, std::span<const float> audio) {
  SampleRateConverter& resampler = *channels_[channel].resampler;
  // An empty input drains the filter's tail.
  const bool draining = audio.empty();
  for (;;) {
    const SampleRateConverter::Done done = resampler.Process(audio, resampled_);
    if (done.produced > 0) sink_->OnChannelAudio(channel, std::span(resampled_).first(done.produced));
    audio = audio.subspan(done.consumed);
    if (draining ? done.produced == 0 : audio.empty() && done.produced < resampled_.size()) return;
    if (done.consumed == 0 && done.produced == 0) return;  // the converter failed: never spin
  }
}

}  // namespace talvir
