#include "app/channel_router.h"

#include "app/sample_conversion.h"
#include "common/ui_link.h"

namespace talvir {

void ChannelRouter::ProcessBlock(const CaptureBlock& block) {
  ConvertCaptureBlock(block, ChannelA(), ChannelB());
  Route(settings_.Get(&SettingsRecord::channelAMode), ChannelA(), sinks_.vhfA);
  Route(settings_.Get(&SettingsRecord::channelBMode), ChannelB(), sinks_.vhfB);
  FeedSpectrum();
}

void ChannelRouter::Route(int32_t mode, std::span<const float, kBlockFrames> samples,
                          VhfBlockSink* vhf) {
  if (mode == kChannelVhf && vhf != nullptr) vhf->ProcessBlock(samples);
  if (mode == kChannelHf && sinks_.hf != nullptr) sinks_.hf->ModemFeedSamples(samples);
}

void ChannelRouter::FeedSpectrum() {
  switch (settings_.Get(&SettingsRecord::spectrumChannel)) {
    case kSpectrumChannelA:
      if (settings_.Get(&SettingsRecord::channelAMode) != kChannelNone) PostSpectrumBlock(ChannelA(), 0);
      break;
    case kSpectrumChannelB:
      if (settings_.Get(&SettingsRecord::channelBMode) != kChannelNone) PostSpectrumBlock(ChannelB(), 1);
      break;
    case kSpectrumSum: {
      // After the decoders: they always see the channels unsummed.
      const auto a = ChannelA();
      const auto b = ChannelB();
      for (std::size_t k = 0; k < kBlockFrames; ++k) a[k] += b[k];
      PostSpectrumBlock(a, 0);
      break;
    }
    default: break;
  }
}

}  // namespace talvir
