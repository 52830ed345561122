#pragma once
// One capture block through the decoders: both channels converted, channel A
// then channel B fed to the decoder its mode names, then the spectrum feed.
// Channel modes and the spectrum channel are read anew for every block. Each
// HF channel has a modem of its own: the first stereo channel set to HF feeds
// the first, the second the other.

#include <array>
#include <complex>
#include <span>

#include "app/hfdl_band_decoder.h"
#include "audio/capture_buffer.h"
#include "common/decoder_links.h"
#include "common/ui_link.h"
#include "config/settings.h"

namespace talvir {

// The decoders a block may go to; nullptr = not there, nothing is called.
struct DecoderSinks {
  // The HFDL modems, in the order of the stereo channels set to HF.
  std::array<HfSampleSink*, 2> hf{};
  VhfBlockSink* vhfA = nullptr;
  VhfBlockSink* vhfB = nullptr;
  // An SDR band: the blocks are its I/Q (I left, Q right) and go here
  // alone, whatever the channel modes say.
  BandSink* band = nullptr;
};

class ChannelRouter {
 public:
  // ui: where the spectrum goes.
  ChannelRouter(const Settings& settings, DecoderSinks sinks, UiLink& ui = UiLink::None())
      : settings_(settings), sinks_(sinks), ui_(ui) {}

  void ProcessBlock(const CaptureBlock& block);

 private:
  // hfUsed: how many HF modems this block has fed so far.
  void Route(int32_t mode, std::span<const float, kBlockFrames> samples, VhfBlockSink* vhf, std::size_t& hfUsed);
  void FeedSpectrum();

  std::span<float, kBlockFrames> ChannelA() { return std::span(samples_).first<kBlockFrames>(); }
  std::span<float, kBlockFrames> ChannelB() { return std::span(samples_).last<kBlockFrames>(); }

  const Settings& settings_;
  const DecoderSinks sinks_;
  UiLink& ui_;
  // Channel A, then channel B; reused for every block.
  std::array<float, 2 * kBlockFrames> samples_{};
  std::array<std::complex<float>, kBlockFrames> band_{};
};

}  // namespace talvir
