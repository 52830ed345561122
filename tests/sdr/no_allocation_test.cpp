// Cutting runs for every hop of a band of millions of samples a second: once
// made, the cutter and the airband chain must not touch the heap. Counts
// every allocation of this test program.

#include <gtest/gtest.h>

#include <vector>

#include "app/airband_channels.h"
#include "sdr/channel_cutter.h"
#include "support/counting_new.h"

namespace talvir {
namespace {

struct Counting final : BasebandSink, ChannelAudioSink {
  void OnBaseband(std::size_t, std::span<const std::complex<float>> samples) override { values += samples.size(); }
  void OnChannelAudio(std::size_t, std::span<const float> audio) override { values += audio.size(); }
  std::size_t values = 0;
};

TEST(SdrNoAllocation, CuttingAndDemodulatingAllocateNothing) {
  std::vector<std::complex<float>> band(200000, {0.01f, -0.02f});
  const std::vector<double> channels = {-300e3, 0.0, 450e3};
  std::string error;
  auto cutter = ChannelCutter::Create(2.4e6, {.decimation = 50, .passHz = 7000, .stopHz = 14000}, channels, error);
  // 2.048 MS/s is resampled to 48000/s as well.
  auto airband = AirbandChannels::Create(2.048e6, 131e6, std::vector<double>{131.2e6, 130.9e6}, error);
  ASSERT_TRUE(cutter && airband) << error;
  Counting sink;

  const long before = testing::allocations.load();
  for (std::size_t at = 0; at < band.size(); at += 7777) {
    const auto piece = std::span(band).subspan(at, std::min<std::size_t>(7777, band.size() - at));
    cutter->Process(piece, sink);
    airband->Process(piece, sink);
  }
  EXPECT_EQ(testing::allocations.load() - before, 0);
  EXPECT_GT(sink.values, 0u);
}

}  // namespace
}  // namespace talvir
