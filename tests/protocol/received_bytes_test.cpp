// Text received over the air must never drive a terminal or a log reader:
// ACARS messages (HFDL downlinks and uplinks, VHF) and position reports that
// carry every byte value in their texts, labels and flight ids go through the
// whole decoder chain with every display option on, and nothing but printable
// ASCII and line ends comes out anywhere: the decoded text (what talvir-cli
// prints and the window shows), both logs, the feed, the Flight list and the
// details line.

#include <gtest/gtest.h>

#include <algorithm>

#include "acars/vhf_acars_printer.h"
#include "full_chain_rig.h"
#include "support/read_file.h"
#include "testbench/frames/acars_block.h"
#include "testbench/frames/hfnpdu_builder.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"

namespace talvir::testing {
namespace {

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
