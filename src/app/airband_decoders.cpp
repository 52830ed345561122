#include "app/airband_decoders.h"

#include <array>

namespace talvir {

AirbandDecoders::AirbandDecoders(AcarsMessageOutputs outputs, std::span<const double> channelsMhz) {
  for (std::size_t c = 0; c < channelsMhz.size(); ++c) {
    channels_.push_back(std::make_unique<Channel>(outputs, VhfAcarsPrinter::Channel{static_cast<int>(c), channelsMhz[c]}));
  }
}

void AirbandDecoders::OnChannelAudio(std::size_t channel, std::span<const float> audio) {
  channels_.at(channel)->demodulator.ProcessBlock(audio);
}

void AirbandDecoders::Flush() {
  static constexpr std::array<float, kBlockFrames> kSilence{};
  for (const auto& channel : channels_) {
    for (int block = 0; block < VhfDemodulator::kFlushBlocks; ++block) channel->demodulator.ProcessBlock(kSilence);
  }
}

}  // namespace talvir
