#include "app/hfdl_band_decoder.h"

#include <gtest/gtest.h>

#include "app/hfdl_band_plan.h"
#include "modem/modem_harness.h"
#include "testbench/hfdl_band_scenario.h"

namespace talvir {
namespace {

using Frames = std::vector<std::vector<uint8_t>>;

constexpr double kCentreKhz = 8950.0;
constexpr double kBandRate = 250000.0;

// Four channels across a 250 kHz band at different levels, tuning errors and
// fading, each with bursts of its own rates; the bursts of different
// channels overlap in time.
testbench::HfdlBandScenario FourChannels() {
  testbench::HfdlBandScenario scenario{.centreKhz = kCentreKhz, .sampleRate = kBandRate, .seed = 7};
  struct Plan {
    double dialKhz;
    double snrDb;
    testbench::FadingPreset fading;
    double offsetHz;
    int codes[2];
  };
  const Plan plans[] = {
      {8834.0, 25.0, testbench::FadingPreset::kNone, -40.0, {6, 4}},   // 116 kHz below the centre
      {8927.0, 18.0, testbench::FadingPreset::kQuiet, 30.0, {2, 6}},
      {8942.0, 30.0, testbench::FadingPreset::kModerate, 0.0, {4, 0}},  // 15 kHz from its neighbour
      {9070.0, 22.0, testbench::FadingPreset::kNone, 60.0, {0, 2}},     // near the top edge
  };
  uint32_t seed = 1;
  for (const Plan& plan : plans) {
    testbench::HfdlBandChannel channel{.dialKhz = plan.dialKhz, .snrDb = plan.snrDb, .fading = plan.fading,
                                       .carrierOffsetHz = plan.offsetHz};
    double start = 0.3 + 0.2 * static_cast<double>(seed);
    for (const int code : plan.codes) {
      channel.bursts.push_back({start, code, testing::RandomFrame(code, seed++)});
      start += 3.5;
    }
    scenario.channels.push_back(std::move(channel));
  }
  return scenario;
}

// One modem and its receiver per channel.
struct RecordingModems {
  explicit RecordingModems(std::size_t count) : receivers(count) {
    for (auto& receiver : receivers) {
      modems.push_back(std::make_unique<HfdlModem>(receiver));
      pointers.push_back(modems.back().get());
    }
  }
  std::vector<testing::RecordingFrameReceiver> receivers;
  std::vector<std::unique_ptr<HfdlModem>> modems;
  std::vector<HfdlModem*> pointers;
};

// Decodes the band on the channels given, in blocks as the worker hands
// them over, with a few seconds of silence after for the last bursts.
std::vector<Frames> Decode(const std::vector<std::complex<float>>& band, const std::vector<double>& dialsKhz,
                           int threads) {
  RecordingModems modems(dialsKhz.size());
  std::string error;
  auto decoder = HfdlBandDecoder::Create(kBandRate, kCentreKhz, dialsKhz, modems.pointers, threads, error);
  EXPECT_NE(decoder, nullptr) << error;
  if (!decoder) return {};
  std::vector<std::complex<float>> padded = band;
  padded.resize(band.size() + static_cast<std::size_t>(3 * kBandRate));
  for (std::size_t at = 0; at < padded.size(); at += kBlockFrames)
    decoder->ProcessBand(std::span(padded).subspan(at, std::min<std::size_t>(kBlockFrames, padded.size() - at)));
  std::vector<Frames> frames;
  for (const auto& receiver : modems.receivers) {
    Frames& channel = frames.emplace_back();
    for (const auto& frame : receiver.frames) channel.push_back(frame.bytes);
  }
  return frames;
}

TEST(HfdlBand, EveryChannelDecodesItsOwnBurstsAsItWouldAloneAndAnEmptyOneNothing) {
  const testbench::HfdlBandScenario scenario = FourChannels();
  const auto band = testbench::RenderHfdlBand(scenario);
  std::vector<double> dials;
  for (const auto& channel : scenario.channels) dials.push_back(channel.dialKhz);
  // 3 kHz above a busy channel, one with nothing on it: its neighbour stays out.
  dials.push_back(dials[0] + 3.0);

  const std::vector<Frames> together = Decode(band, dials, 2);
  ASSERT_EQ(together.size(), dials.size());
  EXPECT_TRUE(together.back().empty());
  for (std::size_t c = 0; c + 1 < dials.size(); ++c) {
    SCOPED_TRACE(::testing::Message() << dials[c] << " kHz");
    Frames sent;
    for (const auto& burst : scenario.channels[c].bursts) sent.push_back(testing::Padded(burst.frame, burst.rateCode));
    EXPECT_EQ(together[c], sent) << "each burst on its own channel, and nothing else";
    const std::vector<Frames> alone = Decode(band, {dials[c]}, 1);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(together[c], alone[0]) << "the same as a run of this channel alone";
  }
}

TEST(HfdlBand, ChannelsThatDoNotFitAreRefusedAndTheSystemTableGivesThoseThatDo) {
  EXPECT_EQ(HfdlBandError(kBandRate, kCentreKhz, std::vector<double>{8830.0, 9070.0}), "");
  EXPECT_EQ(HfdlBandError(kBandRate, kCentreKhz, std::vector<double>{9075.0}),
            "the HFDL channel at 9075 kHz lies outside the band, 8825 to 9075 kHz");
  EXPECT_NE(HfdlBandError(6000.0, kCentreKhz, std::vector<double>{kCentreKhz}).find("too narrow"), std::string::npos);
  RecordingModems modems(1);
  std::string error;
  EXPECT_EQ(HfdlBandDecoder::Create(kBandRate, kCentreKhz, std::vector<double>{8800.0}, modems.pointers, 1, error),
            nullptr);
  EXPECT_NE(error.find("8800 kHz"), std::string::npos);

  // The system table's frequencies inside the band, in order, once.
  SystemTable table{};
  table.stationCount = 2;
  table.stations[0].frequencyCount = 3;
  table.stations[0].frequencies[0].frequencyHz = 8977000;
  table.stations[0].frequencies[1].frequencyHz = 11348000;  // outside
  table.stations[0].frequencies[2].frequencyHz = 8927000;
  table.stations[1].frequencyCount = 2;
  table.stations[1].frequencies[0].frequencyHz = 8977000;   // again
  table.stations[1].frequencies[1].frequencyHz = 9073500;   // its carrier beyond the edge
  EXPECT_EQ(HfdlDialsInBand(table, kCentreKhz, kBandRate), (std::vector<double>{8927.0, 8977.0}));
}

}  // namespace
}  // namespace talvir
