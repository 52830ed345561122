// The frame builders: every one refuses a field its frame cannot carry rather
// than writing a frame that lies about it (the largest values that fit still
// build); coordinates and addresses in their codes; and the demo's traffic
// plan, what the demo recording test cannot tell from decoding it (that
// every rate code is shown, slots are not shared, messages come in time
// order). The demo's VHF blocks are proved valid by being decoded. And the
// builders against frames real ground stations and aircraft sent: if the
// bench rebuilds them byte for byte, the decoders' tests start from the air.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <stdexcept>

#include "recorded_frames.h"
#include "testbench/frames/acars_block.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/coordinates.h"
#include "testbench/frames/demo_traffic.h"
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

// One station with `count` frequencies of `hz`.
std::vector<uint8_t> Table(uint32_t hz, std::size_t count = 1) {
  const SystemTableStation station{.id = 1, .frequencies = std::vector<SystemTableFrequencyEntry>(count, {hz, 0})};
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
      {"50 Hz step", [] { Table(8'927'050); }},
      {"40 MHz", [] { Table(40'000'000); }},
      {"32 frequencies", [] { Table(5'000'000, 32); }},
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

constexpr double kStepDegrees = 180.0 / 524287;

TEST(Coordinates, OnesComplementCodesRoundTripWithinHalfAStep) {
  // Bit 19 with nothing below it is the complement of the full magnitude.
  EXPECT_DOUBLE_EQ(CoordinateDegrees(0x80000), -180.0);
  EXPECT_EQ(CoordinateCode(-180.0), 0x80000u);
  EXPECT_EQ(CoordinateCode(90.00017), 0x40000u);
  EXPECT_EQ(CoordinateCode(180.0), 0x7FFFFu);
  EXPECT_EQ(LatitudeCode(-51.5), ~LatitudeCode(51.5) & 0xFFFFFu);
  // Too small to round away from zero: stays a positive zero.
  EXPECT_EQ(LongitudeCode(-kStepDegrees / 4), 0u);
  for (double degrees = -180.0; degrees <= 180.0; degrees += 0.37) {
    const uint32_t code = CoordinateCode(degrees);
    ASSERT_LE(code, 0xFFFFFu);
    ASSERT_NEAR(CoordinateDegrees(code), degrees, kStepDegrees / 2 + 1e-12) << degrees;
  }
  EXPECT_THROW(LatitudeCode(90.01), std::invalid_argument);
  EXPECT_THROW(LongitudeCode(-180.5), std::invalid_argument);
  EXPECT_THROW(CoordinateCode(std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
  EXPECT_NO_THROW(LatitudeCode(-90.0));
}

TEST(Coordinates, IcaoAddressTravelsBitReversed) {
  // 0x4CA1B2 = 0100 1100 1010 0001 1011 0010, reversed 0100 1101 1000 0101 0011 0010.
  EXPECT_EQ(IcaoAddressField(0x4CA1B2), (std::array<uint8_t, 3>{0x32, 0x85, 0x4D}));
  EXPECT_EQ(IcaoAddressField(0x800000), (std::array<uint8_t, 3>{0x01, 0x00, 0x00}));
  EXPECT_THROW(IcaoAddressField(0x1000000), std::invalid_argument);
}

TEST(DemoTraffic, BurstsOfEveryRateTakeTheirSlotsWithoutOverlapAndMessagesComeInOrder) {
  const DemoTraffic demo = BuildDemoTraffic();
  std::set<std::pair<int, int>> taken;
  std::set<int> rateCodes;
  int previous = -1;
  for (const DemoBurst& b : demo.bursts) {
    ASSERT_GE(b.frameNumber, 0);
    ASSERT_LT(b.frameNumber, kDemoFrames);
    EXPECT_GT(b.frameNumber * 13 + b.slot, previous) << b.description;
    previous = b.frameNumber * 13 + b.slot;
    rateCodes.insert(b.rateCode);
    const int slots = b.rateCode % 2 == 1 ? 2 : 1;  // odd codes: the 4.2 s interleaver
    EXPECT_LE(b.slot + slots, 13) << b.description;
    for (int s = b.slot; s < b.slot + slots; ++s) EXPECT_TRUE(taken.insert({b.frameNumber, s}).second);
    EXPECT_EQ(b.frame.size(), static_cast<std::size_t>(BurstFrameBytes(b.rateCode))) << b.description;
    EXPECT_EQ(b.frame.back(), 0) << b.description;  // the encoder ends in state 0
  }
  EXPECT_EQ(rateCodes.size(), 8u);
  EXPECT_GE(demo.bursts.size(), 30u);

  ASSERT_GE(demo.vhfMessages.size(), 3u);
  ASSERT_LE(demo.vhfMessages.size(), 5u);
  double start = 0;
  for (const DemoVhfMessage& m : demo.vhfMessages) {
    EXPECT_GT(m.startSeconds, start);
    EXPECT_LT(m.startSeconds, kDemoFrames * 32.0 - 1);
    start = m.startSeconds;
  }
}

TEST(RecordedRebuild, Squitter) {
  SquitterFields f;
  f.stations = {SquitterStation{3, true, 0x38}, SquitterStation{9, true, 0x90}, SquitterStation{13, true, 0xA0}};
  f.frameIndex = 734;
  f.slotOffset = 7;
  f.ackCodes[2] = 0x16E;
  f.ackCodes[8] = 0x170;
  f.ackCodes[16] = 0x171;
  f.slotAssignments = {254, 0x68, 0x6B, 254, 254, 254, 254, 254, 254, 254, 254, 254};
  f.systemTableVersion = 26;
  auto recorded = FromHex(kRecordedSquitter);
  recorded.resize(66);  // the burst's padding after the squitter
  EXPECT_EQ(BuildSquitter(f), recorded);
}

TEST(RecordedRebuild, AirMpduWithAPerformanceReport) {
  const auto recorded = FromHex(kRecordedAirMpdu);
  const PerformanceData d{.flightId = "SU0219",
                          .position = {.latitudeCode = 0x28126, .longitudeCode = 0x1687E, .time = 0x2DDB},
                          .performanceVersion = 1,
                          .flightLeg = 51,
                          .groundStationId = 3,
                          .frequencyIndex = 5,
                          .previousLegLostCount = 12,
                          .mpdusReceivedOk = {0, 0, 0, 3},
                          .squittersReceivedOk = 16,
                          .mpdusTransmitted = {0, 0, 0, 4},
                          .mpdusReceivedFirstTime = {0, 0, 0, 3},
                          .frequencyChangeReason = 1};
  const AirMpduHeader header{.groundStationId = 3, .utcSynced = true, .aid = 0x71, .maxBitRateCode = 3};
  const auto frame = BuildAirMpdu(header, {BuildUnnumberedDataLpdu(BuildPerformanceDataHfnpdu(d))});
  EXPECT_EQ(frame.size(), 59u);
  EXPECT_EQ(PadToBurst(frame, 6), recorded);
}

TEST(RecordedRebuild, GroundMpduWithAnAcarsUplink) {
  const auto recorded = FromHex(kRecordedGroundMpdu);
  const AcarsMessage uplink{
      .mode = '2', .registration = "N69154", .technicalAck = '8', .label = "_\x7f", .blockId = 'W', .downlink = false};
  const GroundMpduBlock block{.aid = 0x6E,
                              .maxBitRateCode = 1,
                              .lpdus = {BuildUnnumberedDataLpdu(BuildAcarsHfnpdu(BuildAcarsBlock(uplink)))},
                              .spareBit = true};
  EXPECT_EQ(PadToBurst(BuildGroundMpdu({.groundStationId = 3, .utcSynced = true}, {block}), 6), recorded);
}

// Each rate code's frame bytes, padding kept last.
TEST(RecordedRebuild, BurstCapacities) {
  const std::vector<int> capacity = {405, 945, 270, 630, 135, 315, 67, 157};
  const std::vector<uint8_t> frame(40, 0x5A);
  for (int code = 0; code < 8; ++code) {
    const auto padded = PadToBurst(frame, code);
    ASSERT_EQ(padded.size(), static_cast<std::size_t>(capacity[static_cast<std::size_t>(code)])) << code;
    EXPECT_EQ(padded[39], 0x5A);
    EXPECT_EQ(padded.back(), 0);
  }
}

// A table split over packets joins back to itself, each packet within one
// LPDU, and a one-packet table says so with FF.
TEST(RecordedRebuild, SystemTablePacketsRejoin) {
  std::vector<uint8_t> data(301);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  const auto packets = BuildSystemTableHfnpdus(0xABC, data, 2);
  ASSERT_EQ(packets.size(), 2u);
  std::vector<uint8_t> joined;
  for (std::size_t seq = 0; seq < 2; ++seq) {
    const auto& p = packets[seq];
    EXPECT_EQ(p[2], 0x10 | seq);
    EXPECT_EQ((p[3] >> 4) + 16 * p[4], 0xABC);
    EXPECT_LE(p.size() + 3, 256u);
    joined.insert(joined.end(), p.begin() + 5, p.end());
  }
  EXPECT_EQ(joined, data);
  EXPECT_EQ(BuildSystemTableHfnpdus(1, data, 16).back()[2], 0xFF);
}

}  // namespace
}  // namespace talvir::testbench
