// Every builder refuses a field its frame cannot carry rather than writing a
// frame that lies about it; the largest values that fit still build.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "testbench/frames/acars_block.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/hfnpdu_builder.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"
#include "testbench/frames/squitter_builder.h"
#include "testbench/frames/system_table_builder.h"

namespace talvir::testbench {
namespace {

SquitterFields Squitter(const std::function<void(SquitterFields&)>& change) {
  SquitterFields f;
  change(f);
  return f;
}

std::vector<uint8_t> Table(const std::vector<SystemTableFrequencyEntry>& frequencies) {
  const SystemTableStation station{.id = 1, .frequencies = frequencies};
  return EncodeSystemTableData(std::span(&station, 1));
}

TEST(BuilderLimits, FieldsThatDoNotFitAreRefused) {
  const std::vector<uint8_t> tableOfThree(2 * kSystemTablePacketMaxShare + 1);
  const std::vector<std::pair<const char*, std::function<void()>>> refused = {
      {"registration", [] { BuildAcarsBlock({.registration = "N123456X", .label = "H1"}); }},
      {"label", [] { BuildAcarsBlock({.registration = "N1", .label = "H"}); }},
      {"flight id", [] { BuildAcarsBlock({.registration = "N1", .label = "H1", .flightId = "BAW1234"}); }},
      {"8-bit text", [] { BuildAcarsBlock({.registration = "N1", .label = "H1", .text = "caf\xc3\xa9"}); }},
      {"long text", [] { BuildAcarsBlock({.registration = "N1", .label = "H1", .text = std::string(221, 'x')}); }},
      {"16 LPDUs", [] { BuildAirMpdu({}, std::vector<Lpdu>(16, Lpdu(3))); }},
      {"257-byte LPDU", [] { BuildAirMpdu({}, {Lpdu(257)}); }},
      {"empty LPDU", [] { BuildAirMpdu({}, {Lpdu()}); }},
      {"station 128", [] { BuildAirMpdu({.groundStationId = 128}, {}); }},
      {"no block", [] { BuildGroundMpdu({}, {}); }},
      {"9 blocks", [] { BuildGroundMpdu({}, std::vector<GroundMpduBlock>(9)); }},
      {"reason type", [] { BuildReasonLpdu(LpduType::kLogonConfirm, 1, 1); }},
      {"request type", [] { BuildLogonRequestLpdu(LpduType::kLogonDenied, 1); }},
      {"dr", [] { BuildLogonConfirmLpdu(LpduType::kLogonConfirm, {.dr = 32}); }},
      {"odd data type", [] { BuildNumberedDataLpdu({.typeByte = 0x43}); }},
      {"bsn", [] { BuildNumberedDataLpdu({.bsn = 8}); }},
      {"long flight id", [] { BuildPerformanceDataHfnpdu({.flightId = "TOOLONG"}); }},
      {"control in flight id", [] { BuildPerformanceDataHfnpdu({.flightId = "BA\x01"}); }},
      {"performance station", [] { BuildPerformanceDataHfnpdu({.groundStationId = 200}); }},
      {"change reason", [] { BuildPerformanceDataHfnpdu({.frequencyChangeReason = 16}); }},
      {"latitude code", [] { BuildPerformanceDataHfnpdu({.position = {.latitudeCode = 0x100000}}); }},
      {"time of day", [] { PositionFromDegrees(10, 10, 86400); }},
      {"no position", [] { BuildFrequencyDataHfnpdu({.flightId = "UA0930", .entries = {{.groundStationId = 1}}}); }},
      {"7 entries",
       [] {
         BuildFrequencyDataHfnpdu(
             {.flightId = "UA0930", .position = PositionField{}, .entries = std::vector<FrequencyDataEntry>(7)});
       }},
      {"request version", [] { BuildSystemTableRequestHfnpdu(4096); }},
      {"frame index", [] { BuildSquitter(Squitter([](SquitterFields& f) { f.frameIndex = 4096; })); }},
      {"squitter station", [] { BuildSquitter(Squitter([](SquitterFields& f) { f.stations[2].id = 128; })); }},
      {"frequency mask",
       [] { BuildSquitter(Squitter([](SquitterFields& f) { f.stations[1].frequencyMask = 0x100000; })); }},
      {"ack code", [] { BuildSquitter(Squitter([](SquitterFields& f) { f.ackCodes[5] = 0x1000; })); }},
      {"50 Hz step",
       [] {
         Table({{8'927'050, 0}});
       }},
      {"40 MHz",
       [] {
         Table({{40'000'000, 0}});
       }},
      {"32 frequencies",
       [] {
         Table(std::vector<SystemTableFrequencyEntry>(32, {5'000'000, 0}));
       }},
      {"two packets", [&] { BuildSystemTableHfnpdus(1, tableOfThree, 2); }},
      {"17 packets", [&] { BuildSystemTableHfnpdus(1, tableOfThree, 17); }},
      {"table version", [&] { BuildSystemTableHfnpdus(4096, tableOfThree, 3); }},
      {"burst overflow", [] { PadToBurst(std::vector<uint8_t>(68, 1), 6); }},
      {"rate code 8", [] { PadToBurst(std::vector<uint8_t>(1), 8); }},
      {"rate code -1", [] { PadToBurst(std::vector<uint8_t>(1), -1); }},
  };
  for (const auto& [what, build] : refused) EXPECT_THROW(build(), std::invalid_argument) << what;

  EXPECT_NO_THROW(BuildSystemTableHfnpdus(1, tableOfThree, 3));
  EXPECT_EQ(PadToBurst(std::vector<uint8_t>(67, 1), 6).size(), 67u);
  EXPECT_EQ(BuildAirMpdu({}, std::vector<Lpdu>(15, Lpdu(256))).size(), 8u + 15 + 15 * 256);
  EXPECT_EQ(BuildFrequencyDataHfnpdu({.flightId = "UA0930"}).size(), 2u + 6);  // no position, no entries
  EXPECT_EQ(BuildTestPacketHfnpdu({.vendor = 2, .reaction = 128, .data = {0xAA}}).size(), 13u);
  EXPECT_EQ(BuildNumberedDataLpdu({.typeByte = 0x42, .bsn = 7, .bduData = {0xDE, 0xAD}}).size(), 7u);
}

}  // namespace
}  // namespace talvir::testbench
