#include "app/sample_conversion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace talvir {
namespace {

TEST(SampleConversion, ReadsNegativeSamplesAsOnesComplement) {
  EXPECT_EQ(ConvertSample(0x7FFF), 32767.0F / 32768.0F);
  EXPECT_EQ(ConvertSample(0x8000), -32767.0F / 32768.0F) << "never -1.0";
  EXPECT_EQ(ConvertSample(0xFFFF), 0.0F);
  EXPECT_TRUE(std::signbit(ConvertSample(0xFFFF))) << "-1 becomes -0.0";
  EXPECT_EQ(ConvertSample(0xFFFE), -1.0F / 32768.0F);
  EXPECT_EQ(ConvertSample(0x0000), 0.0F);
  EXPECT_FALSE(std::signbit(ConvertSample(0x0000)));
  EXPECT_EQ(ConvertSample(0x0001), 1.0F / 32768.0F);
  EXPECT_EQ(kSampleScale, 3.0517578125e-05F);
}

TEST(SampleConversion, LeftSamplesGoToChannelARightToChannelB) {
  CaptureBlock block{};
  // Frame k: left k, right 0xFFFF - k (one's complement -k), little-endian.
  for (std::size_t k = 0; k < kBlockFrames; ++k) {
    const auto left = static_cast<uint16_t>(k);
    const auto right = static_cast<uint16_t>(0xFFFF - k);
    block[4 * k] = static_cast<uint8_t>(left & 0xFF);
    block[4 * k + 1] = static_cast<uint8_t>(left >> 8);
    block[4 * k + 2] = static_cast<uint8_t>(right & 0xFF);
    block[4 * k + 3] = static_cast<uint8_t>(right >> 8);
  }
  std::array<float, kBlockFrames> a{};
  std::array<float, kBlockFrames> b{};
  ConvertCaptureBlock(block, a, b);
  for (std::size_t k = 0; k < kBlockFrames; ++k) {
    ASSERT_EQ(a[k], static_cast<float>(k) / 32768.0F) << k;
    ASSERT_EQ(b[k], -static_cast<float>(k) / 32768.0F) << k;
  }
  EXPECT_TRUE(std::signbit(b[0]));
}

}  // namespace
}  // namespace talvir
