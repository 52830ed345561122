// Scenario files are written by hand: every mistake must come back as one
// line that says where it is.

#include "testbench/scenario.h"

#include <gtest/gtest.h>

#include <string>

#include "testbench/frames/acars_block.h"
#include "testbench/scenario_renderer.h"

namespace talvir::testbench {
namespace {

TEST(Scenario, ReadsBurstsMessagesAndChannels) {
  const auto scenario = ParseScenario(R"({
    "seed": 42, "frame_start": 0.5,
    "hf": {"snr_db": 12.5, "fading": "disturbed", "carrier_offset_hz": -30, "timing_offset_ms": 0.25, "amplitude": 0.1},
    "vhf": {"snr_db": 30, "dc_offset": -0.25, "dc_drift": 0.1, "dc_drift_hz": 0.5},
    "bursts": [
      {"frame": 1, "slot": 3, "rate": 6, "hex": "00 83 de", "description": "a squitter"},
      {"time": 2.0, "rate": 0, "hex": "ABcd"}
    ],
    "vhf_messages": [
      {"time": 1.5, "hex": "01 32 83 00 00 7f"},
      {"time": 4.0, "registration": ".N123AB", "label": "H1", "flight": "BA0001", "message_number": "M01A",
       "text": "HELLO", "downlink": true}
    ]
  })");
  EXPECT_EQ(scenario.seed, 42u);
  EXPECT_TRUE(scenario.stereo);
  EXPECT_EQ(scenario.hf.snrDb, 12.5);
  EXPECT_EQ(scenario.hf.fading, FadingPreset::kDisturbed);
  EXPECT_EQ(scenario.hf.carrierOffsetHz, -30.0);
  EXPECT_DOUBLE_EQ(scenario.hf.timingOffsetSeconds, 0.25e-3);
  EXPECT_FLOAT_EQ(scenario.hf.amplitude, 0.1f);
  EXPECT_EQ(scenario.vhf.snrDb, 30.0);
  EXPECT_FLOAT_EQ(scenario.vhf.amplitude, kDefaultVhfAmplitude);
  EXPECT_EQ(scenario.vhf.dcOffset.level, -0.25);
  EXPECT_EQ(scenario.vhf.dcOffset.driftAmplitude, 0.1);
  EXPECT_EQ(scenario.vhf.dcOffset.driftHz, 0.5);
  ASSERT_EQ(scenario.bursts.size(), 2u);
  // Frame 1, slot 3: 0.5 + 32 + 3 * 32 / 13 seconds.
  EXPECT_NEAR(scenario.bursts[0].startSeconds, 0.5 + 32 + 3 * 32.0 / 13, 1e-9);
  EXPECT_EQ(scenario.bursts[0].frame, (std::vector<uint8_t>{0x00, 0x83, 0xDE}));
  EXPECT_EQ(scenario.bursts[0].description, "a squitter");
  EXPECT_EQ(scenario.bursts[1].frame, (std::vector<uint8_t>{0xAB, 0xCD}));
  ASSERT_EQ(scenario.vhfMessages.size(), 2u);
  // A message given by its fields is built into a whole block.
  EXPECT_EQ(
      scenario.vhfMessages[1].block,
      BuildVhfAcarsBlock(
          {.registration = ".N123AB", .label = "H1", .messageNumber = "M01A", .flightId = "BA0001", .text = "HELLO"}));
}

// Each bad file names the place of its fault.
TEST(Scenario, BadFilesNameTheirProblem) {
  const struct {
    std::string json;
    const char* expected;
  } cases[] = {
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": "00"}],)", "not valid JSON"},
      {R"({"hf": {"snr_db": 1e999}})", "not valid JSON: number overflow"},
      {R"([1, 2])", "scenario: must be an object"},
      {R"({"burst": []})", "scenario: unknown key \"burst\""},
      {R"({})", "has neither bursts nor vhf_messages"},
      {R"({"bursts": [{"time": 1, "rate": 8, "hex": "00"}]})", "bursts[0].rate: must be 0..7"},
      {R"({"bursts": [{"time": 1, "rate": 1.5, "hex": "00"}]})", "bursts[0].rate: must be a whole number"},
      {R"({"bursts": [{"time": 1, "hex": "00"}]})", "bursts[0]: needs \"rate\""},
      {R"({"bursts": [{"rate": 6, "hex": "00"}]})", "bursts[0]: needs either \"time\""},
      {R"({"bursts": [{"time": 1, "slot": 2, "rate": 6, "hex": "00"}]})", "not both"},
      {R"({"bursts": [{"slot": 13, "rate": 6, "hex": "00"}]})", "bursts[0].slot: must be 0..12"},
      {R"({"bursts": [{"time": -1, "rate": 6, "hex": "00"}]})", "bursts[0].time: must lie between"},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": "0g"}]})", "bursts[0].hex: 'g' is not a hex digit"},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": "012"}]})", "bursts[0].hex: odd number of hex digits"},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": 12}]})", "bursts[0].hex: must be a string"},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": ")" + std::string(2 * 68, '0') + R"("}]})",
       "68 bytes do not fit a rate 6 burst of 67"},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": "00"}], "hf": {"fading": "stormy"}})", "hf.fading: must be none"},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": "00"}], "hf": {"snr": 3}})", "hf: unknown key \"snr\""},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": "00"}], "vhf": {"fading": "quiet"}})", "vhf: unknown key"},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": "00"}], "hf": {"amplitude": 2}})", "hf.amplitude: must lie"},
      {R"({"bursts": [{"time": 1, "rate": 6, "hex": "00"}], "seed": -3})", "seed: must be a whole number"},
      {R"({"vhf_messages": [{"time": 1, "hex": "02 03"}]})", "vhf_messages[0].hex: must start with SOH"},
      {R"({"vhf_messages": [{"hex": "01 03"}]})", "vhf_messages[0]: needs \"time\""},
      {R"({"vhf_messages": [{"time": 1, "label": "H12"}]})", "vhf_messages[0]: ACARS label"},
      {R"({"vhf_messages": [{"time": 1, "hex": "01", "label": "H1"}]})", "either \"hex\" or the message fields"},
      {R"({"vhf_messages": [{"time": 1, "hex": "01"}], "stereo": false})", "stereo: VHF messages need a stereo file"},
  };
  for (const auto& c : cases) {
    try {
      ParseScenario(c.json);
      ADD_FAILURE() << "accepted: " << c.json;
    } catch (const ScenarioError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(c.expected), std::string::npos) << "message: " << message;
      EXPECT_EQ(message.find('\n'), std::string::npos) << "message: " << message;
    }
  }
}

TEST(ScenarioRenderer, PlacesSignalsAndHonoursDuration) {
  Scenario scenario = ParseScenario(R"({"bursts": [{"time": 0.5, "rate": 6, "hex": "01"}],
                                       "vhf_messages": [{"time": 0.25, "hex": "01 83 00 00 7f"}]})");
  const auto audio = RenderScenario(scenario);
  ASSERT_EQ(audio.left.size(), audio.right.size());
  EXPECT_EQ(audio.clippedSamples, 0u);
  // Silence before each start, signal right after it.
  EXPECT_EQ(audio.left[23999], 0.0f);
  EXPECT_NE(audio.left[24000 + 400], 0.0f);
  EXPECT_EQ(audio.right[11999], 0.0f);
  EXPECT_NE(audio.right[12000 + 100], 0.0f);
  // One second of silence after the burst ends.
  std::size_t last = audio.left.size();
  while (last > 0 && audio.left[last - 1] == 0.0f) --last;
  EXPECT_NEAR(static_cast<double>(audio.left.size() - last), 48000.0, 2.0);

  scenario.durationSeconds = 2.0;
  EXPECT_THROW(RenderScenario(scenario), ScenarioError);
  scenario.durationSeconds = 10.0;
  EXPECT_EQ(RenderScenario(scenario).left.size(), 480000u);
}

}  // namespace
}  // namespace talvir::testbench
