#include "app/channel_router.h"

#include "app/sample_conversion.h"

namespace talvir {

void ChannelRouter::ProcessBlock(const CaptureBlock& block) {
  ConvertCaptureBlock(block, ChannelA(), ChannelB());
  if (sinks_.band != nullptr) {
    for (std::size_t k = 0; k < kBlockFrames; ++k) band_[k] = {ChannelA()[k], ChannelB()[k]};
    sinks_.band->ProcessBand(band_);
    return;
  }
  std::size_t hfUsed = 0;
  Route(settings_.Get(&SettingsRecord::channelAMode), ChannelA(), sinks_.vhfA, hfUsed);
  Route(settings_.Get(&SettingsRecord::channelBMode), ChannelB(), sinks_.vhfB, hfUsed);
  FeedSpectrum();
}

void ChannelRouter::Route(int32_t mode, std::span<const float, kBlockFrames> samples, VhfBlockSink* vhf,
                          std::size_t& hfUsed) {
  if (mode == kChannelVhf && vhf != nullptr) vhf->ProcessBlock(samples);
  if (mode != kChannelHf) return;
  if (HfSampleSink* hf = sinks_.hf[hfUsed++]) hf->ModemFeedSamples(samples);
}

void ChannelRouter::FeedSpectrum() {
  switch (settings_.Get(&SettingsRecord::spectrumChannel)) {
    case kSpectrumChannelA:
      if (settings_.Get(&SettingsRecord::channelAMode) != kChannelNone) ui_.PostSpectrumBlock(ChannelA(), 0);
      break;
    case kSpectrumChannelB:
      if (settings_.Get(&SettingsRecord::channelBMode) != kChannelNone) ui_.PostSpectrumBlock(ChannelB(), 1);
      break;
    case kSpectrumSum: {
      // After the decoders: they always see the channels unsummed.
      const auto a = ChannelA();
      const auto b = ChannelB();
      for (std::size_t k = 0; k < kBlockFrames; ++k) a[k] += b[k];
      ui_.PostSpectrumBlock(a, 0);
      break;
    }
    default: break;
  }
}

}  // namespace talvir
