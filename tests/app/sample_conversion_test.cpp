#include "app/sample_conversion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace talvir {
namespace {

TEST(SampleConversion, ReadsNegativeSamplesAsOnesComplement) {
  const struct {
    uint16_t sample;
    float value;
    bool negative;
  } cases[] = {{0x7FFF, 32767.0F / 32768.0F, false},
               {0x8000, -32767.0F / 32768.0F, true},  // never -1.0
               {0xFFFF, 0.0F, true},                  // -1 becomes -0.0
               {0xFFFE, -1.0F / 32768.0F, true},
               {0x0000, 0.0F, false},
               {0x0001, 1.0F / 32768.0F, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ConvertSample(c.sample), c.value) << std::hex << c.sample;
    EXPECT_EQ(std::signbit(ConvertSample(c.sample)), c.negative) << std::hex << c.sample;
  }
}

}  // namespace
}  // namespace talvir
