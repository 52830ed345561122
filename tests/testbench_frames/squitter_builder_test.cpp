#include "testbench/frames/squitter_builder.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "common/crc16.h"
#include "recorded_frames.h"

namespace talvir::testbench {
namespace {

// The squitter heard from Reykjavik, field by field.
SquitterFields RecordedSquitterFields() {
  SquitterFields f;
  f.stations = {SquitterStation{3, true, 0x38}, SquitterStation{9, true, 0x90}, SquitterStation{13, true, 0xA0}};
  f.frameIndex = 734;
  f.slotOffset = 7;
  f.ackCodes[2] = 0x16E;
  f.ackCodes[8] = 0x170;
  f.ackCodes[16] = 0x171;
  f.slotAssignments = {254, 0x68, 0x6B, 254, 254, 254, 254, 254, 254, 254, 254, 254};
  f.systemTableVersion = 26;
  return f;
}

TEST(SquitterBuilder, RebuildsARecordedSquitter) {
  const auto recorded = FromHex(kRecordedSquitter);
  const auto built = BuildSquitter(RecordedSquitterFields());
  ASSERT_EQ(built.size(), 66u);
  EXPECT_EQ(built, std::vector<uint8_t>(recorded.begin(), recorded.begin() + 66));
}

TEST(SquitterBuilder, HeaderBitsAndTwelveBitFieldsSplitAcrossBytes) {
  SquitterFields f;
  f.squitterVersion = 5;
  f.heavyLoad = true;
  f.status = GroundStationStatus::kDown;
  f.stations[0] = {0x7E, true, 0};
  f.frameIndex = 0xABC;
  f.slotOffset = 0xD;
  f.ackCodes[0] = 0x123;
  f.ackCodes[1] = AckCode(0xFF, true, false, true);  // 0x5FF
  f.ackCodes[23] = 0xFED;
  f.systemTableVersion = 0x987;
  const auto b = BuildSquitter(f);
  EXPECT_EQ(b[0], 0b11'0'1'101'0);  // status, ISO 8208, load, version, type 0
  EXPECT_EQ(b[1], 0xFE);
  EXPECT_EQ(b[2], 0xBC);
  EXPECT_EQ(b[3], 0xDA);
  // First group: v = 0x123 + (0x5FF << 12).
  EXPECT_EQ(b[4], 0x23);
  EXPECT_EQ(b[5], 0xF1);
  EXPECT_EQ(b[6], 0x5F);
  // Last code is the high half of the last group (bytes 37..39).
  EXPECT_EQ(b[38] & 0xF0, 0xD0);
  EXPECT_EQ(b[39], 0xFE);
  EXPECT_EQ(b[53], 0x87);
  EXPECT_EQ(b[54] & 0x0F, 0x09);
  f.heavyLoad = false;
  f.iso8208 = true;
  EXPECT_EQ(BuildSquitter(f)[0], 0b11'1'0'101'0);
}

TEST(SquitterBuilder, StationFieldsAndFcsPositions) {
  SquitterFields f;
  f.stations = {SquitterStation{1, false, 0xABCDE}, SquitterStation{0x55, true, 0x12345},
                SquitterStation{0x7F, true, 0xFEDCB}};
  f.slotAssignments[0] = 0x11;
  f.slotAssignments[11] = 0x22;
  f.priorityByte = 0x37;
  const auto b = BuildSquitter(f);
  EXPECT_EQ(b[40], 0x11);
  EXPECT_EQ(b[51], 0x22);
  EXPECT_EQ(b[52], 0x37);
  EXPECT_EQ((b[54] >> 4) + 16 * b[55] + 4096 * b[56], 0xABCDE);
  EXPECT_EQ(b[57], 0xD5);
  EXPECT_EQ(b[58] + 256 * b[59] + 65536 * (b[60] & 0x0F), 0x12345);
  EXPECT_EQ((b[60] >> 4) + 16 * (b[61] & 0x0F), 0xFF);
  EXPECT_EQ((b[61] >> 4) + 16 * b[62] + 4096 * b[63], 0xFEDCB);
  EXPECT_TRUE(HfdlCrcCheck(b, 64));
}

TEST(SquitterBuilder, RefusesFieldsThatDoNotFit) {
  const std::function<void(SquitterFields&)> spoil[] = {
      [](SquitterFields& f) { f.frameIndex = 4096; },
      [](SquitterFields& f) { f.stations[2].id = 128; },
      [](SquitterFields& f) { f.stations[1].frequencyMask = 0x100000; },
      [](SquitterFields& f) { f.ackCodes[5] = 0x1000; },
  };
  for (const auto& change : spoil) {
    SquitterFields f;
    change(f);
    EXPECT_THROW(BuildSquitter(f), std::invalid_argument);
  }
}

}  // namespace
}  // namespace talvir::testbench
