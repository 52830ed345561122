// The HFDL transmitter's level and timing, which every SNR and slot the
// bench sets rests on, and what it refuses. Its symbols are pinned by the
// receiver, which decodes both the on-air recordings and the bench's bursts
// of every rate code.

#include "testbench/hfdl_modulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "modem/hfdl_phy.h"

namespace talvir::testbench {
namespace {

TEST(HfdlModulator, BurstStartsWhenAskedFitsItsSlotAndHasTheAskedPower) {
  std::vector<uint8_t> frame(405);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 37 + 11);
  HfdlBurstOptions options;
  options.amplitude = 0.4f;
  options.startSeconds = 0.01;
  options.carrierOffsetHz = 25.0;
  const auto audio = ModulateHfdlBurst(frame, 0, options);
  const std::size_t lead = 480;
  for (std::size_t n = 0; n < lead; ++n) ASSERT_EQ(audio[n], 0.0f);
  EXPECT_NE(audio[lead + 20], 0.0f);
  // The 1.8 s burst, its prekey and the pulse's tails fit one slot of 32/13 s.
  const double seconds = static_cast<double>(audio.size() - lead) / 48000.0;
  EXPECT_NEAR(seconds, (BurstSymbolCount(0) + 16) / 1800.0, 0.001);
  EXPECT_LT(seconds, 32.0 / 13.0);
  // Mean power over the burst's symbols is that of a tone of peak 0.4.
  double power = 0.0;
  for (std::size_t n = lead; n < audio.size(); ++n) power += std::pow(static_cast<double>(audio[n]), 2);
  power /= static_cast<double>(BurstSymbolCount(0)) * 48000.0 / 1800.0;
  EXPECT_NEAR(power / (0.4 * 0.4 / 2), 1.0, 0.03);

  EXPECT_THROW(ModulateHfdlBurst(std::vector<uint8_t>(136, 0), 4), std::invalid_argument);
  EXPECT_THROW(Interleave(std::vector<uint8_t>(10), 0), std::invalid_argument);
  EXPECT_THROW(CodedBurstBits(std::vector<uint8_t>(1), hfdl::kRateCodes), std::invalid_argument);
}

}  // namespace
}  // namespace talvir::testbench
