#include "testbench/msk_modulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "common/decoder_links.h"
#include "testbench/frames/acars_block.h"

namespace talvir::testbench {
namespace {

constexpr int kSamplesPerBit = kSampleRate / kAcarsBitRate;  // 20
static_assert(kSamplesPerBit * kAcarsBitRate == kSampleRate);
// Bits of steady tone after the block while the carrier fades out.
constexpr int kTailBits = 8;
constexpr int kRampSamples = kSamplesPerBit * 4;

}  // namespace

std::vector<uint8_t> AcarsTransmissionBytes(std::span<const uint8_t> blockFromSoh) {
  if (blockFromSoh.empty() || blockFromSoh.front() != kAcarsSoh) {
    throw std::invalid_argument("a VHF ACARS block starts with SOH (0x01)");
  }
  const std::array<uint8_t, 4> sync = {WithOddParity('+'), WithOddParity('*'), WithOddParity(kAcarsSyn),
                                       WithOddParity(kAcarsSyn)};
  std::vector<uint8_t> bytes(sync.size() + blockFromSoh.size());
  std::copy(blockFromSoh.begin(), blockFromSoh.end(), std::copy(sync.begin(), sync.end(), bytes.begin()));
  return bytes;
}

std::vector<float> ModulateVhfAcars(std::span<const uint8_t> blockFromSoh, const MskOptions& options) {
  if (options.prekeyBits < 0 || options.startSeconds < 0.0) {
    throw std::invalid_argument("MSK options: negative pre-key or start time");
  }
  std::vector<int> bits(static_cast<std::size_t>(options.prekeyBits), 1);
  for (uint8_t byte : AcarsTransmissionBytes(blockFromSoh)) {
    for (int b = 0; b < 8; ++b) bits.push_back((byte >> b) & 1);
  }
  bits.insert(bits.end(), kTailBits, bits.back());

  const auto lead = static_cast<std::size_t>(std::lround(options.startSeconds * kSampleRate));
  const std::size_t length = bits.size() * kSamplesPerBit;
  std::vector<float> audio(lead + length, 0.0f);
  double phase = options.initialPhase;
  int previousBit = 0;
  std::size_t n = lead;
  for (int bit : bits) {
    const double toneHz = bit != previousBit ? kAcarsMarkHz : kAcarsSpaceHz;
    previousBit = bit;
    const double step = 2.0 * std::numbers::pi * toneHz / kSampleRate;
    for (int i = 0; i < kSamplesPerBit; ++i, ++n) {
      audio[n] = static_cast<float>(static_cast<double>(options.amplitude) * std::cos(phase));
      phase = std::fmod(phase + step, 2.0 * std::numbers::pi);
    }
  }
  // Raised-cosine ramps inside the pre-key and the tail, never over data.
  const int riseSamples = std::min(kRampSamples, options.prekeyBits * kSamplesPerBit);
  for (int i = 0; i < kRampSamples; ++i) {
    const double shape = 0.5 - 0.5 * std::cos(std::numbers::pi * (i + 0.5) / kRampSamples);
    if (i < riseSamples) audio[lead + static_cast<std::size_t>(i)] *= static_cast<float>(shape);
    audio[lead + length - 1 - static_cast<std::size_t>(i)] *= static_cast<float>(shape);
  }
  return audio;
}

}  // namespace talvir::testbench
