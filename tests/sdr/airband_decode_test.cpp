#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "acars/acars_test_outputs.h"
#include "app/airband_channels.h"
#include "app/airband_decoders.h"
#include "testbench/airband_scenario.h"
#include "testbench/frames/acars_block.h"

namespace talvir {
namespace {

std::vector<uint8_t> Block(const std::string& flight, const std::string& text) {
  return testbench::BuildVhfAcarsBlock({.registration = ".N123AB", .label = "H1", .messageNumber = "M01A",
                                        .flightId = flight, .text = text});
}

// Each listed channel at its own level and transmitter error, two
// transmissions on each, flight ids naming the channel; a strong
// transmission on an unlisted channel beside one of them.
testbench::AirbandScenario FourChannels() {
  testbench::AirbandScenario scenario{.centreMhz = 131.0, .sampleRate = 2.4e6, .noiseRms = 0.01, .seed = 7, .channels = {}};
  const double megahertz[] = {131.525, 131.725, 130.025, 131.825};
  const double snrDb[] = {14, 22, 35, 50};
  const double offsetHz[] = {1500, -2500, 0, 800};
  for (int c = 0; c < 4; ++c) {
    testbench::AirbandChannelSignal channel{.frequencyMhz = megahertz[c], .snrDb = snrDb[c], .offsetHz = offsetHz[c], .transmissions = {}};
    for (int m = 0; m < 2; ++m) {
      const std::string flight = "CH" + std::to_string(c) + "M" + std::to_string(m) + "X";
      channel.transmissions.push_back({.startSeconds = 0.1 + 0.25 * c + 1.2 * m, .block = Block(flight, "ON CHANNEL")});
    }
    scenario.channels.push_back(channel);
  }
  scenario.channels.push_back({.frequencyMhz = 131.550, .snrDb = 55,
                               .transmissions = {{.startSeconds = 0.2, .block = Block("NOTME1", "NEIGHBOUR")}}});
  return scenario;
}

class AirbandDecode : public ::testing::Test, protected testing::AcarsTestOutputs {};

TEST_F(AirbandDecode, EveryChannelDecodesItsOwnMessagesUnderItsFrequency) {
  settings.Set(&SettingsRecord::showVAcars, 1);
  // 2.4 MS/s cuts to 48000/s exactly; 2.048 MS/s to 48762/s, resampled.
  for (const double rate : {2.4e6, 2.048e6}) {
    SCOPED_TRACE(rate);
    records.vhf.clear();
    testbench::AirbandScenario scenario = FourChannels();
    scenario.sampleRate = rate;
    const std::vector<double> listedMhz = {131.525, 131.725, 130.025, 131.825};
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
    std::map<std::string, double> sent;
    for (int c = 0; c < 4; ++c) {
      for (int m = 0; m < 2; ++m) sent["CH" + std::to_string(c) + "M" + std::to_string(m) + "X"] = listedMhz[c];
    }
    EXPECT_EQ(heard, sent);
  }
  EXPECT_NE(ui.AllDecodedText().find("Aircraft reg: .N123AB  [131.825 MHz]\r\n"), std::string::npos);
}

TEST(AirbandChannels, RefusesChannelsOutsideTheBandAndSlowBands) {
  std::string error;
  const std::vector<double> outside = {131.525e6, 132.5e6};
  EXPECT_EQ(AirbandChannels::Create(2.4e6, 131.0e6, outside, error), nullptr);
  EXPECT_NE(error.find("132.500 MHz lies outside the I/Q band, 129.807 MHz to 132.193 MHz"), std::string::npos)
      << error;
  const std::vector<double> one = {131.525e6};
  EXPECT_EQ(AirbandChannels::Create(24000, 131.525e6, one, error), nullptr);
  EXPECT_NE(error.find("at least 48000"), std::string::npos) << error;
}

}  // namespace
}  // namespace talvir
