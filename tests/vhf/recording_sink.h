#pragma once
// Keeps every block the demodulator hands over.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/decoder_links.h"

namespace talvir::testing {

class RecordingVhfSink : public VhfMessageSink {
 public:
  void PrintVhfAcars(std::span<const uint8_t> block) override {
    blocks.emplace_back(block.begin(), block.end());
  }

  // A block with the parity bits cleared, as text.
  static std::string Text(const std::vector<uint8_t>& block) {
    std::string text;
    for (uint8_t b : block) text.push_back(static_cast<char>(b & 0x7F));
    return text;
  }

  std::vector<std::vector<uint8_t>> blocks;
};

}  // namespace talvir::testing
