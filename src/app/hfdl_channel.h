#pragma once
// One HFDL channel: its modem (with its slot clock) and the decoders of what
// the modem receives, over the state all channels share. About 0.7 MB: made
// on the heap.

#include "modem/hfdl_modem.h"
#include "protocol/protocol_stack.h"

namespace talvir {

struct HfdlChannel {
  HfdlChannel(SharedDecoderState& shared, int index) : decoders(shared, index) {
    decoders.decoder.ConnectSlotClock(&modem);
  }
  HfdlChannel(const HfdlChannel&) = delete;
  HfdlChannel& operator=(const HfdlChannel&) = delete;

  HfdlChannelDecoders decoders;
  HfdlModem modem{decoders.decoder, decoders.shared.ui, decoders.hfChannel};
};

}  // namespace talvir
