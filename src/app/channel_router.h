#pragma once
// One capture block through the decoders: both channels converted, channel A
// then channel B fed to the decoder its mode names, then the spectrum feed.
// Channel modes and the spectrum channel are read anew for every block.

#include <array>
#include <span>

#include "audio/capture_buffer.h"
#include "common/decoder_links.h"
#include "config/settings.h"

namespace talvir {

// The decoders a block may go to; nullptr = not there, nothing is called.
struct DecoderSinks {
  HfSampleSink* hf = nullptr;  // the HFDL modem, fed by whichever channel is HF
  VhfBlockSink* vhfA = nullptr;
  VhfBlockSink* vhfB = nullptr;
};

class ChannelRouter {
 public:
  ChannelRouter(const Settings& settings, DecoderSinks sinks) : settings_(settings), sinks_(sinks) {}

  void ProcessBlock(const CaptureBlock& block);

 private:
  void Route(int32_t mode, std::span<const float, kBlockFrames> samples, VhfBlockSink* vhf);
  void FeedSpectrum();

  std::span<float, kBlockFrames> ChannelA() { return std::span(samples_).first<kBlockFrames>(); }
  std::span<float, kBlockFrames> ChannelB() { return std::span(samples_).last<kBlockFrames>(); }

  const Settings& settings_;
  const DecoderSinks sinks_;
  // Channel A, then channel B; reused for every block.
  std::array<float, 2 * kBlockFrames> samples_{};
};

}  // namespace talvir
