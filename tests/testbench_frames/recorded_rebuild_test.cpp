// The builders against frames real ground stations and aircraft sent: if the
// bench rebuilds them byte for byte, the decoders' tests start from the air.

#include <gtest/gtest.h>

#include "recorded_frames.h"
#include "testbench/frames/acars_block.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/hfnpdu_builder.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"
#include "testbench/frames/squitter_builder.h"
#include "testbench/frames/system_table_builder.h"

namespace talvir::testbench {
namespace {

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, std::size_t from, std::size_t count) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
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
  EXPECT_EQ(BuildSquitter(f), Slice(FromHex(kRecordedSquitter), 0, 66));
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
