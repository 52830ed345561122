#include "testbench/frames/hfnpdu_builder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "recorded_frames.h"
#include "testbench/frames/coordinates.h"

namespace talvir::testbench {
namespace {

// Reads the fields back the way the receiver does, from payload offsets.
int Le16(const std::vector<uint8_t>& b, std::size_t at) { return b[at] + 256 * b[at + 1]; }
uint32_t LatitudeAt(const std::vector<uint8_t>& b, std::size_t at) {
  return (b[at] + 256u * b[at + 1] + 65536u * b[at + 2]) & 0xFFFFF;
}
uint32_t LongitudeAt(const std::vector<uint8_t>& b, std::size_t at) {
  return (b[at + 2] + 256u * b[at + 3] + 65536u * b[at + 4]) >> 4;
}

TEST(HfnpduBuilder, RebuildsARecordedPerformanceReport) {
  const auto recorded = FromHex(kRecordedAirMpdu);
  PerformanceData d{.flightId = "SU0219",
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
  const auto built = BuildPerformanceDataHfnpdu(d);
  ASSERT_EQ(built.size(), 47u);
  EXPECT_EQ(built, std::vector<uint8_t>(recorded.begin() + 10, recorded.begin() + 57));
}

TEST(HfnpduBuilder, PerformanceFieldOffsets) {
  PerformanceData d{.flightId = "BA117",
                    .position = PositionFromDegrees(-33.5, -71.25, 43201),
                    .performanceVersion = 2,
                    .flightLeg = 7,
                    .groundStationId = 0x11,
                    .utcSynced = true,
                    .frequencyIndex = 4,
                    .previousLegLostCount = 0x0102,
                    .currentLegLostCount = 0x0304,
                    .previousLegSecondsDisabled = 0x0506,
                    .currentLegSecondsDisabled = 0x0708,
                    .mpdusReceivedOk = {11, 12, 13, 14},
                    .mpdusReceivedInError = {21, 22, 23, 24},
                    .squittersReceivedOk = 0x0A0B,
                    .squittersReceivedInError = 9,
                    .mpdusTransmitted = {31, 32, 33, 34},
                    .mpdusReceivedFirstTime = {41, 42, 43, 44},
                    .frequencyChangeReason = 1,
                    .vendorCode = 3};
  const auto b = BuildPerformanceDataHfnpdu(d);
  ASSERT_EQ(b.size(), 2u + kPerformancePayloadBytes);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[1], 0xD1);
  const std::size_t p = 2;  // payload offsets from here
  EXPECT_EQ(std::string(b.begin() + p, b.begin() + p + 6), "BA117 ");
  EXPECT_EQ(LatitudeAt(b, p + 6), LatitudeCode(-33.5));
  EXPECT_EQ(LongitudeAt(b, p + 6), LongitudeCode(-71.25));
  EXPECT_EQ(Le16(b, p + 11), 21600);  // 2 s units, rounded down
  // Counters little-endian, in the order of the structure.
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + p + 13, b.end()),
            (std::vector<uint8_t>{2,  7,  0x91, 4,  0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07, 11, 12, 13, 14,
                                  21, 22, 23,   24, 0x0B, 0x0A, 9,    31,   32,   33,   34,   41,   42, 43, 44, 0x31}));
}

TEST(HfnpduBuilder, FrequencyDataWithAndWithoutPosition) {
  const auto idOnly = BuildFrequencyDataHfnpdu({.flightId = "UA0930"});
  EXPECT_EQ(idOnly.size(), 2u + 6);
  EXPECT_EQ(idOnly[1], 0xD5);

  FrequencyData d{
      .flightId = "UA0930",
      .position = PositionField{.latitudeCode = 0x12345, .longitudeCode = 0xABCDE, .time = 0x4321},
      .entries = {{.groundStationId = 7, .utcSynced = true, .propagatingMask = 0x12345, .tunedMask = 0xFEDCB},
                  {.groundStationId = 3, .propagatingMask = 0x1, .tunedMask = 0x80000}}};
  const auto b = BuildFrequencyDataHfnpdu(d);
  ASSERT_EQ(b.size(), 2u + 13 + 2 * kFrequencyDataEntryBytes);
  EXPECT_EQ(LatitudeAt(b, 8), 0x12345u);
  EXPECT_EQ(LongitudeAt(b, 8), 0xABCDEu);
  EXPECT_EQ(Le16(b, 13), 0x4321);
  for (std::size_t i = 0; i < 2; ++i) {
    const std::size_t e = 15 + 6 * i;
    const auto& entry = d.entries[i];
    EXPECT_EQ(b[e], entry.groundStationId | (entry.utcSynced ? 0x80 : 0));
    EXPECT_EQ(b[e + 1] + 256u * b[e + 2] + 65536u * (b[e + 3] & 0x0F), entry.propagatingMask);
    EXPECT_EQ((b[e + 3] >> 4) + 16u * b[e + 4] + 4096u * b[e + 5], entry.tunedMask);
  }

  FrequencyData noPosition{.flightId = "UA0930", .entries = {{.groundStationId = 1}}};
  EXPECT_THROW(BuildFrequencyDataHfnpdu(noPosition), std::invalid_argument);
  d.entries.resize(7);
  EXPECT_THROW(BuildFrequencyDataHfnpdu(d), std::invalid_argument);
}

TEST(HfnpduBuilder, TestPacketRequestAndAcarsLayouts) {
  const auto test = BuildTestPacketHfnpdu({.vendor = 2,
                                           .reaction = 128,
                                           .frameDelay = 3,
                                           .slotDelay = 4,
                                           .priority = 5,
                                           .reactionLength = 0x0102,
                                           .data = {0xAA, 0xBB, 0xCC}});
  EXPECT_EQ(test, (std::vector<uint8_t>{0xFF, 0xDE, 0, 2, 128, 3, 4, 5, 0x02, 0x01, 3, 0, 0xAA, 0xBB, 0xCC}));

  EXPECT_EQ(BuildSystemTableRequestHfnpdu(0x123), (std::vector<uint8_t>{0xFF, 0xD2, 0x23, 0x01}));
  EXPECT_EQ(BuildAcarsHfnpdu(std::vector<uint8_t>{1, 2}), (std::vector<uint8_t>{0xFF, 0xFF, 1, 2}));
}

TEST(HfnpduBuilder, RefusesFieldsThatDoNotFit) {
  EXPECT_THROW(BuildPerformanceDataHfnpdu({.flightId = "TOOLONG"}), std::invalid_argument);
  EXPECT_THROW(BuildPerformanceDataHfnpdu({.flightId = "BA\x01"}), std::invalid_argument);
  EXPECT_THROW(BuildPerformanceDataHfnpdu({.groundStationId = 200}), std::invalid_argument);
  EXPECT_THROW(BuildPerformanceDataHfnpdu({.frequencyChangeReason = 16}), std::invalid_argument);
  EXPECT_THROW(BuildPerformanceDataHfnpdu({.position = {.latitudeCode = 0x100000}}), std::invalid_argument);
  EXPECT_THROW(PositionFromDegrees(10, 10, 86400), std::invalid_argument);
  EXPECT_THROW(BuildSystemTableRequestHfnpdu(4096), std::invalid_argument);
}

}  // namespace
}  // namespace talvir::testbench
