// Hostile frames through the whole decoder chain with every display option
// on. Random and mutated frames of every burst length: nothing may crash or
// read past a frame (the sanitizer build checks the latter). Text received
// over the air must never drive a terminal or a log reader: ACARS messages
// (HFDL downlinks and uplinks, VHF) and position reports that carry every
// byte value in their texts, labels and flight ids, and nothing but printable
// ASCII and line ends comes out anywhere: the decoded text (what talvir-cli
// prints and the window shows), both logs, the feed, the Flight list and the
// details line.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "acars/vhf_acars_printer.h"
#include "full_chain_rig.h"
#include "support/read_file.h"
#include "testbench/frames/acars_block.h"
#include "testbench/frames/hfnpdu_builder.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"
#include "testbench/frames/squitter_builder.h"

namespace talvir::testing {
namespace {

// Frame bytes per burst for the eight rate codes.
constexpr std::size_t kBurstBytes[] = {405, 945, 270, 630, 135, 315, 67, 157};

// A well-formed frame to mutate: a squitter or an MPDU whose LPDUs pass
// their checks, so mutations reach the deeper decoders.
std::vector<uint8_t> Seed(std::mt19937& rng, std::size_t size) {
  std::vector<uint8_t> frame;
  std::uniform_int_distribution<int> byte(0, 255);
  auto randomBytes = [&](std::size_t n) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(byte(rng));
    return v;
  };
  switch (rng() % 3) {
    case 0: {
      testbench::SquitterFields f;
      f.stations[0] = {static_cast<int>(rng() % 128), true, static_cast<uint32_t>(rng() & 0xFFFFF)};
      f.frameIndex = static_cast<int>(rng() % 2700);
      frame = testbench::BuildSquitter(f);
      break;
    }
    case 1: {
      std::vector<testbench::Lpdu> lpdus;
      std::vector<uint8_t> hfnpdu = {0xFF, static_cast<uint8_t>(0xD0 + rng() % 0x30)};
      const auto payload = randomBytes(rng() % 60);
      hfnpdu.insert(hfnpdu.end(), payload.begin(), payload.end());
      lpdus.push_back(testbench::BuildUnnumberedDataLpdu(hfnpdu));
      lpdus.push_back(testbench::BuildLpdu(static_cast<uint8_t>(byte(rng)), randomBytes(rng() % 12)));
      testbench::AirMpduHeader h;
      h.aid = static_cast<uint8_t>(byte(rng));
      frame = testbench::BuildAirMpdu(h, lpdus);
      break;
    }
    default: {
      std::vector<testbench::GroundMpduBlock> blocks(1 + rng() % 3);
      for (auto& block : blocks) {
        block.aid = static_cast<uint8_t>(byte(rng));
        const uint8_t confirm[] = {1, 2, 3, static_cast<uint8_t>(byte(rng)), 4, 5, 6};
        block.lpdus.push_back(testbench::BuildLpdu(0x9F, confirm));
        block.lpdus.push_back(testbench::BuildUnnumberedDataLpdu(randomBytes(2 + rng() % 40)));
      }
      frame = testbench::BuildGroundMpdu({7, true}, blocks);
    }
  }
  frame.resize(size, 0);
  return frame;
}

TEST(RandomFrames, NothingBreaksOnRandomOrMutatedFramesOfEveryBurstLength) {
  FullChain chain({&SettingsRecord::showHex, &SettingsRecord::showPreamble, &SettingsRecord::showMpdu,
                   &SettingsRecord::showSpdu, &SettingsRecord::showLpdu, &SettingsRecord::showBdu,
                   &SettingsRecord::showHfnpdu, &SettingsRecord::verbose, &SettingsRecord::showHAcars});
  std::mt19937 rng(20240611);
  int decodedOk = 0;
  for (int round = 0; round < 4000; ++round) {
    const std::size_t size = kBurstBytes[static_cast<std::size_t>(round) % std::size(kBurstBytes)];
    std::vector<uint8_t> frame;
    if (round % 4 == 0) {
      frame.resize(size);
      for (auto& b : frame) b = static_cast<uint8_t>(rng());
    } else {
      frame = Seed(rng, size);
      for (int flips = static_cast<int>(rng() % 4); flips > 0; --flips)
        frame[rng() % size] ^= static_cast<uint8_t>(1u << (rng() % 8));
    }
    frame.shrink_to_fit();
    decodedOk +=
        chain.stack.decoder.ReceiveFrame(frame, BurstInfo{static_cast<int>(rng() % 8), 1, 0, "TS(1) "}) ? 1 : 0;
    EXPECT_EQ(chain.stack.text.Length(), 0);
    if (round % 500 == 0) chain.stack.flights.FlightDbAgeTick();
  }
  // Unmutated seeds decode: the run reached the deeper decoders.
  EXPECT_GT(decodedOk, 500);
  EXPECT_FALSE(chain.ui.decodedText.empty());
}

namespace tb = testbench;

constexpr std::size_t kLabelOffset = 10;
constexpr std::size_t kFlightIdOffset = 18;
constexpr std::size_t kDownlinkTextOffset = 24;
constexpr std::size_t kUplinkTextOffset = 14;
constexpr std::size_t kTextBytes = 128;  // half of all byte values per message
constexpr int kMessages = 128;           // two label bytes each: every value once

// Message i: label bytes 2i and 2i+1; text the lower or upper half of all
// byte values; a downlink's flight id six more values.
std::vector<uint8_t> AcarsBlock(int i, bool downlink) {
  auto block = tb::BuildAcarsBlock({.registration = "N123AB",
                                    .label = "H1",
                                    .blockId = downlink ? '2' : 'B',
                                    .downlink = downlink,
                                    .messageNumber = "M01A",
                                    .flightId = "UA1234",
                                    .text = std::string(kTextBytes, 'x')});
  block[kLabelOffset] = static_cast<uint8_t>(2 * i);
  block[kLabelOffset + 1] = static_cast<uint8_t>(2 * i + 1);
  const std::size_t text = downlink ? kDownlinkTextOffset : kUplinkTextOffset;
  for (std::size_t k = 0; k < kTextBytes; ++k) block[text + k] = static_cast<uint8_t>((i % 2) * kTextBytes + k);
  if (downlink) {
    for (std::size_t k = 0; k < tb::kFlightIdChars; ++k) block[kFlightIdOffset + k] = static_cast<uint8_t>(6 * i + k);
  }
  return block;
}

// A performance report whose flight id holds six byte values from `first`.
std::vector<uint8_t> PositionReport(int first) {
  auto hfnpdu = tb::BuildPerformanceDataHfnpdu({.flightId = "UA1234", .groundStationId = 3});
  for (int k = 0; k < tb::kFlightIdChars; ++k) hfnpdu[2 + k] = static_cast<uint8_t>(first + k);
  return hfnpdu;
}

struct RecordingFeed : AircraftOutputs, AcarsOutputs {
  void DdePublishAircraft(const AircraftRecord& record) override {
    texts.emplace_back(record.FlightIdText());
    texts.emplace_back(record.RegistrationText());
  }
  void PlotAircraft(std::span<const AircraftPlotEntry> aircraft) override {
    for (const auto& a : aircraft) texts.push_back(a.label);
  }
  void PlotGroundStations() override {}
  void WriteAircraftKml(std::span<const AircraftRecord>) override {}
  void DdePublishAcars(std::string_view text) override { texts.emplace_back(text); }
  std::vector<std::string> texts;
};

// The first byte that could drive a terminal, or npos.
std::size_t FirstRawControl(std::string_view text) {
  const auto raw = std::find_if(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<uint8_t>(c);
    return (b < 0x20 && b != '\r' && b != '\n') || b >= 0x7F;
  });
  return raw == text.end() ? std::string_view::npos : static_cast<std::size_t>(raw - text.begin());
}

std::size_t Count(std::string_view text, std::string_view word) {
  std::size_t n = 0;
  for (auto at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

TEST(ReceivedBytes, NoRawControlByteReachesAnyOutput) {
  RecordingUiLink ui;
  TempDir dir;
  Settings settings;
  for (auto field : kHfdlTextOptions) settings.Set(field, 1);
  settings.Set(&SettingsRecord::showVAcars, 1);
  settings.Set(&SettingsRecord::ostraleLogging, 1);
  LogFiles logs{settings, DataPaths{dir.path()}, [] { return std::time_t{1772884980}; }};  // one day's files
  RecordingFeed feed;
  ProtocolStack stack{settings, logs, feed, feed, SystemUtcNow, RecordSink::None(), ui};
  VhfAcarsPrinter vhf{stack.AcarsMessageTargets()};
  const BurstInfo burst{6, 1, 0, "TS(1) "};

  for (int i = 0; i < kMessages; ++i) {
    const auto aid = static_cast<uint8_t>(1 + i % 100);
    stack.decoder.ReceiveFrame(
        tb::BuildAirMpdu({.groundStationId = 3, .aid = aid},
                         {tb::BuildUnnumberedDataLpdu(tb::BuildAcarsHfnpdu(AcarsBlock(i, true)))}),
        burst);
    stack.decoder.ReceiveFrame(
        tb::BuildGroundMpdu(
            {.groundStationId = 3},
            {{.aid = aid, .lpdus = {tb::BuildUnnumberedDataLpdu(tb::BuildAcarsHfnpdu(AcarsBlock(i, false)))}}}),
        burst);
    auto block = AcarsBlock(i, true);
    block.resize(block.size() - 3);  // the demodulator hands over SOH .. ETX
    vhf.PrintVhfAcars(block, {});
    block = AcarsBlock(i, false);
    block.resize(block.size() - 3);
    vhf.PrintVhfAcars(block, {});
  }
  for (int first = 0; first < 256; first += tb::kFlightIdChars) {
    stack.decoder.ReceiveFrame(
        tb::BuildAirMpdu({.groundStationId = 3, .aid = 200}, {tb::BuildUnnumberedDataLpdu(PositionReport(first))}),
        burst);
  }
  stack.flights.FlightDbPublish(1);

  const std::string console = ui.AllDecodedText();
  const std::string hfdlLog = ReadFile(logs.HfdlLogPath());
  const std::string ostraleLog = ReadFile(logs.OstraleLogPath());
  std::vector<std::pair<std::string, std::string>> outputs = {
      {"decoded text", console}, {"HFDL log", hfdlLog}, {"Ostrale log", ostraleLog}};
  for (const auto& text : feed.texts) outputs.emplace_back("feed", text);
  for (const auto& text : ui.flightList) outputs.emplace_back("Flight list", text);
  for (const auto& text : ui.flightDetails) outputs.emplace_back("details line", text);
  for (const auto& [name, text] : outputs) {
    const std::size_t raw = FirstRawControl(text);
    EXPECT_EQ(raw, std::string::npos) << name << ": byte " << raw << " of \"" << text.substr(0, 400) << "\"";
  }

  // Everything arrived, rendered: every message in the text and the logs.
  for (const std::string* text : {&console, &hfdlLog, &ostraleLog}) {
    EXPECT_EQ(Count(*text, "HACARS mode"), 2u * kMessages);
    EXPECT_EQ(Count(*text, "VACARS mode"), 2u * kMessages);
    EXPECT_EQ(Count(*text, "[HFNPDU PERFORMANCE]"), text == &ostraleLog ? 0u : 43u);
    EXPECT_NE(text->find("<ESC>"), std::string::npos);
    EXPECT_NE(text->find("<DEL>"), std::string::npos);
  }
  EXPECT_NE(console.find("Flight ID = <CAN><EM><SUB><ESC><FS><GS> "), std::string::npos);
  EXPECT_FALSE(ui.flightList.empty());
  EXPECT_FALSE(ui.flightDetails.empty());
}

}  // namespace
}  // namespace talvir::testing
