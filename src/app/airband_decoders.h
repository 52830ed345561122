#pragma once
// One VHF ACARS demodulator and printer for each channel of an airband
// band; every message they print names its channel's frequency.

#include <memory>
#include <span>
#include <vector>

#include "acars/vhf_acars_printer.h"
#include "app/airband_channels.h"
#include "vhf/vhf_demodulator.h"

namespace talvir {

class AirbandDecoders final : public ChannelAudioSink {
 public:
  AirbandDecoders(AcarsMessageOutputs outputs, std::span<const double> channelsMhz);

  // Decodes the channel's next audio at 48000 samples/s.
  void OnChannelAudio(std::size_t channel, std::span<const float> audio) override;
  // The end of the input: every channel's demodulator lag comes out.
  void Flush();

 private:
  struct Channel {
    explicit Channel(AcarsMessageOutputs outputs, VhfAcarsPrinter::Channel which)
        : printer(outputs, which), demodulator(printer) {}
    VhfAcarsPrinter printer;
    VhfDemodulator demodulator;
  };
  // On the heap: each demodulator's fixed buffers come to about 100 kB.
  std::vector<std::unique_ptr<Channel>> channels_;
};

}  // namespace talvir
