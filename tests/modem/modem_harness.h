#pragma once
// Runs audio through a fresh modem the way the worker does (2500-sample
// capture blocks) and keeps every frame with its burst information.

#include <memory>
#include <random>
#include <span>
#include <vector>

#include "common/decoder_links.h"
#include "modem/hfdl_modem.h"
#include "modem/hfdl_phy.h"

namespace talvir::testing {

class RecordingFrameReceiver : public HfdlFrameReceiver {
 public:
  struct Frame {
    std::vector<uint8_t> bytes;
    BurstInfo burst;
  };
  bool ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo& burst) override {
    frames.push_back({{frame.begin(), frame.end()}, burst});
    return true;
  }
  std::vector<Frame> frames;
};

// Receiver: what takes the frames (a RecordingFrameReceiver or one built on it).
template <class Receiver = RecordingFrameReceiver>
struct BasicModemHarness {
  // ui: where the modem's notifications go.
  explicit BasicModemHarness(UiLink& ui = UiLink::None()) : modem(std::make_unique<HfdlModem>(receiver, ui)) {}

  Receiver receiver;
  std::unique_ptr<HfdlModem> modem;

  // Feeds whole capture blocks; a partial last block is padded with silence.
  void Feed(std::span<const float> audio) {
    std::vector<float> block(kBlockFrames);
    for (std::size_t at = 0; at < audio.size(); at += kBlockFrames) {
      const std::size_t n = std::min<std::size_t>(kBlockFrames, audio.size() - at);
      std::fill(block.begin(), block.end(), 0.0f);
      std::copy(audio.begin() + static_cast<std::ptrdiff_t>(at), audio.begin() + static_cast<std::ptrdiff_t>(at + n),
                block.begin());
      modem->ModemFeedSamples(block);
    }
  }
  void FeedSilence(double seconds) { Feed(std::vector<float>(static_cast<std::size_t>(seconds * kSampleRate), 0.0f)); }
};
using ModemHarness = BasicModemHarness<>;

// Random frame content for a burst of rateCode, ending in zero bytes as a
// real frame does (its padding flushes the code).
inline std::vector<uint8_t> RandomFrame(int rateCode, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> frame(static_cast<std::size_t>(hfdl::Rate(rateCode).frameBytes - 1));
  for (auto& b : frame) b = static_cast<uint8_t>(random());
  return frame;
}

// The frame as the decoder should return it: padded with zeros.
inline std::vector<uint8_t> Padded(std::vector<uint8_t> frame, int rateCode) {
  frame.resize(static_cast<std::size_t>(hfdl::Rate(rateCode).frameBytes), 0);
  return frame;
}

}  // namespace talvir::testing
