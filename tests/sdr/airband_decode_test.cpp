// The airband's channels decoded, and the cutting and demodulating that run
// for every hop of a band of millions of samples a second: once made, the
// cutter and the airband chain must not touch the heap (this program counts
// every allocation).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "acars/acars_test_outputs.h"
#include "app/airband_channels.h"
#include "app/airband_decoders.h"
#include "sdr/channel_cutter.h"
#include "support/counting_new.h"
#include "testbench/airband_scenario.h"

namespace talvir {
namespace {

class AirbandDecode : public ::testing::Test, protected testing::AcarsTestOutputs {};

TEST_F(AirbandDecode, EveryChannelDecodesItsOwnMessagesUnderItsFrequency) {
  settings.Set(&SettingsRecord::showVAcars, 1);
  // 2.4 MS/s cuts to 48000/s exactly; 2.048 MS/s to 48762/s, resampled.
  for (const double rate : {2.4e6, 2.048e6}) {
    SCOPED_TRACE(rate);
    records.vhf.clear();
    testbench::AirbandScenario scenario = testbench::AirbandDemoScenario(7);
    scenario.sampleRate = rate;
    const std::vector<double> listedMhz(std::begin(testbench::kAirbandDemoChannelsMhz),
                                        std::end(testbench::kAirbandDemoChannelsMhz));
    std::vector<double> listedHz;
    for (const double mhz : listedMhz) listedHz.push_back(mhz * 1e6);
    std::string error;
    auto channels = AirbandChannels::Create(rate, scenario.centreMhz * 1e6, listedHz, error);
    ASSERT_NE(channels, nullptr) << error;
    AirbandDecoders decoders(Outputs(), listedMhz);
    const auto band = testbench::RenderAirband(scenario);
    // In pieces of a size no hop divides.
    for (std::size_t at = 0; at < band.size(); at += 100003) {
      channels->Process(std::span(band).subspan(at, std::min<std::size_t>(100003, band.size() - at)), decoders);
    }
    channels->Finish(decoders);
    decoders.Flush();

    std::map<std::string, double> heard;  // flight id -> frequency
    for (const AcarsMessage& message : records.vhf) {
      ASSERT_TRUE(message.frequencyMhz.has_value());
      ASSERT_TRUE(message.channel.has_value());
      EXPECT_EQ(listedMhz.at(static_cast<std::size_t>(*message.channel)), *message.frequencyMhz);
      EXPECT_TRUE(heard.emplace(message.flightId, *message.frequencyMhz).second) << message.flightId << " twice";
    }
    // Every listed channel's messages, none from the unlisted neighbour.
    std::map<std::string, double> sent;
    for (const auto& channel : scenario.channels) {
      if (std::find(listedMhz.begin(), listedMhz.end(), channel.frequencyMhz) == listedMhz.end()) continue;
      for (const auto& transmission : channel.transmissions) sent[transmission.flightId] = channel.frequencyMhz;
    }
    EXPECT_EQ(sent.size(), 8u);
    EXPECT_EQ(heard, sent);
  }
  EXPECT_NE(ui.AllDecodedText().find("Aircraft reg: .F-GKXA  [131.825 MHz]\r\n"), std::string::npos);
}

// A channel outside the band is talvir-cli's airband test.
TEST(AirbandChannels, RefusesSlowBands) {
  std::string error;
  const std::vector<double> one = {131.525e6};
  EXPECT_EQ(AirbandChannels::Create(24000, 131.525e6, one, error), nullptr);
  EXPECT_NE(error.find("at least 48000"), std::string::npos) << error;
}

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
