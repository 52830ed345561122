#include "testbench/frames/mpdu_builder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string_view>

#include "common/crc16.h"
#include "recorded_frames.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/lpdu_builder.h"

namespace talvir::testbench {
namespace {

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, std::size_t from, std::size_t count) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

TEST(LpduBuilder, FcsOfTheNineDigitsFollowsThemLowByteFirst) {
  const std::string_view digits = "23456789";
  const auto lpdu = BuildLpdu('1', std::vector<uint8_t>(digits.begin(), digits.end()));
  ASSERT_EQ(lpdu.size(), 11u);
  EXPECT_EQ(lpdu[9], 0x6E);
  EXPECT_EQ(lpdu[10], 0x90);
}

TEST(MpduBuilder, RebuildsRecordedAirAndGroundMpdus) {
  // Each LPDU's body is an HFNPDU: performance data up, ACARS down.
  const auto air = FromHex(kRecordedAirMpdu);
  const AirMpduHeader header{.groundStationId = 3, .utcSynced = true, .aid = 0x71, .maxBitRateCode = 3};
  const auto frame = BuildAirMpdu(header, {BuildUnnumberedDataLpdu(Slice(air, 10, 47))});
  EXPECT_EQ(frame.size(), 59u);
  EXPECT_EQ(PadToBurst(frame, 6), air);

  const auto ground = FromHex(kRecordedGroundMpdu);
  const GroundMpduBlock block{
      .aid = 0x6E, .maxBitRateCode = 1, .lpdus = {BuildUnnumberedDataLpdu(Slice(ground, 8, 19))}, .spareBit = true};
  EXPECT_EQ(PadToBurst(BuildGroundMpdu({.groundStationId = 3, .utcSynced = true}, {block}), 6), ground);
}

TEST(MpduBuilder, AirHeaderFieldsLengthsAndOffsets) {
  const std::vector<Lpdu> lpdus = {Lpdu(1, 0xAA), Lpdu(256, 0xBB), Lpdu(7, 0xCC)};
  AirMpduHeader header{
      .groundStationId = 0x45, .aid = 0xFF, .slotRequest = 0x53, .maxBitRateCode = 4, .ur = 0x1D, .urVector = 0x9C};
  const auto b = BuildAirMpdu(header, lpdus);
  ASSERT_EQ(b.size(), 11u + 1 + 256 + 7);
  EXPECT_EQ(b[0], 0x03 | (3 << 2));
  EXPECT_EQ(b[1], 0x45);
  EXPECT_EQ(b[2], 0xFF);
  EXPECT_EQ(b[3], 0x53);
  EXPECT_EQ(b[4], 4 | (0x1D << 3));
  EXPECT_EQ(b[5], 0x9C);
  EXPECT_EQ(Slice(b, 6, 3), (std::vector<uint8_t>{0, 255, 6}));
  EXPECT_TRUE(HfdlCrcCheck(b, 9));
  EXPECT_EQ(b[11], 0xAA);
  EXPECT_EQ(b[12], 0xBB);
  EXPECT_EQ(b[267], 0xBB);
  EXPECT_EQ(b[268], 0xCC);

  const auto empty = BuildAirMpdu({.aid = 0x20}, {});
  ASSERT_EQ(empty.size(), 8u);
  EXPECT_EQ(empty[0], 0x03);
  EXPECT_TRUE(HfdlCrcCheck(empty, 6));
}

TEST(MpduBuilder, GroundMpduOfEightFullBlocks) {
  std::vector<GroundMpduBlock> blocks;
  for (int i = 0; i < 8; ++i) {
    GroundMpduBlock block{.aid = static_cast<uint8_t>(0x10 + i), .maxBitRateCode = 4};
    for (int k = 0; k < 15; ++k) block.lpdus.push_back(Lpdu(static_cast<std::size_t>(k + 1), static_cast<uint8_t>(i)));
    blocks.push_back(block);
  }
  const auto b = BuildGroundMpdu({.groundStationId = 7}, blocks);
  EXPECT_EQ(b[0], 0x01 | (7 << 4));
  EXPECT_EQ(b[1], 0x07);
  const std::size_t blockBytes = 2 + 15;
  const std::size_t headerBytes = 2 + 8 * blockBytes;
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(b[2 + i * blockBytes], 0x10 + i);
    EXPECT_EQ(b[3 + i * blockBytes], (4 << 1) | (15 << 4));
    EXPECT_EQ(b[4 + i * blockBytes], 0);    // first length byte: 1 - 1
    EXPECT_EQ(b[18 + i * blockBytes], 14);  // last: 15 - 1
  }
  EXPECT_TRUE(HfdlCrcCheck(b, static_cast<int>(headerBytes)));
  const std::size_t lpduBytesPerBlock = 15 * 16 / 2;
  ASSERT_EQ(b.size(), headerBytes + 2 + 8 * lpduBytesPerBlock);
  // LPDUs follow in block order.
  EXPECT_EQ(b[headerBytes + 2], 0);
  EXPECT_EQ(b[headerBytes + 2 + lpduBytesPerBlock], 1);
  EXPECT_EQ(b.back(), 7);
}

TEST(MpduBuilder, RefusesWhatTheHeaderCannotCarry) {
  EXPECT_THROW(BuildAirMpdu({}, std::vector<Lpdu>(16, Lpdu(3))), std::invalid_argument);
  EXPECT_THROW(BuildAirMpdu({}, {Lpdu(257)}), std::invalid_argument);
  EXPECT_THROW(BuildAirMpdu({}, {Lpdu()}), std::invalid_argument);
  EXPECT_THROW(BuildAirMpdu({.groundStationId = 128}, {}), std::invalid_argument);
  EXPECT_THROW(BuildGroundMpdu({}, {}), std::invalid_argument);
  EXPECT_THROW(BuildGroundMpdu({}, std::vector<GroundMpduBlock>(9)), std::invalid_argument);
}

TEST(LpduBuilder, LogonFamilyBodies) {
  const auto request = BuildLogonRequestLpdu(LpduType::kLogonDlsRequest, 0x800000, std::vector<uint8_t>{0xFF, 0xD2, 1});
  EXPECT_EQ(request, BuildLpdu(0xBF, std::vector<uint8_t>{0x01, 0x00, 0x00, 0xFF, 0xD2, 1}));

  const auto confirm = BuildLogonConfirmLpdu(
      LpduType::kLogonConfirm, {.icao = 0x000001, .assignedAid = 0x2A, .txw = 9, .dr = 0x15, .drVector = 0x81});
  ASSERT_EQ(confirm.size(), 10u);
  EXPECT_EQ(Slice(confirm, 0, 8), (std::vector<uint8_t>{0x9F, 0x00, 0x00, 0x80, 0x2A, 9, 0x15 << 3, 0x81}));
  EXPECT_TRUE(HfdlCrcCheck(confirm, 8));

  const auto logoff = BuildReasonLpdu(LpduType::kLogoffRequest, 0x800000, 9);
  EXPECT_EQ(Slice(logoff, 0, 5), (std::vector<uint8_t>{0x3F, 0x01, 0x00, 0x00, 9}));
  EXPECT_TRUE(HfdlCrcCheck(logoff, 5));

  EXPECT_THROW(BuildReasonLpdu(LpduType::kLogonConfirm, 1, 1), std::invalid_argument);
  EXPECT_THROW(BuildLogonRequestLpdu(LpduType::kLogonDenied, 1), std::invalid_argument);
  EXPECT_THROW(BuildLogonConfirmLpdu(LpduType::kLogonConfirm, {.dr = 32}), std::invalid_argument);
}

TEST(LpduBuilder, NumberedDataSequenceAndBduBits) {
  const auto lpdu = BuildNumberedDataLpdu(
      {.typeByte = 0x42, .rn = 3, .us = 0xA, .pq = 0x5, .more = true, .bsn = 6, .bduData = {0xDE, 0xAD}});
  ASSERT_EQ(lpdu.size(), 7u);
  EXPECT_EQ(lpdu[0], 0x42);
  const int r = lpdu[1];
  EXPECT_EQ((r >> 1) & 3, 3);
  EXPECT_EQ(r >> 4, 0xA);
  const int bdu = lpdu[2];
  EXPECT_EQ(bdu & 0x0F, 5);
  EXPECT_EQ((bdu >> 4) & 1, 1);
  EXPECT_EQ(bdu >> 5, 6);
  EXPECT_EQ(lpdu[3], 0xDE);
  EXPECT_TRUE(HfdlCrcCheck(lpdu, 5));
  EXPECT_THROW(BuildNumberedDataLpdu({.typeByte = 0x43}), std::invalid_argument);
  EXPECT_THROW(BuildNumberedDataLpdu({.bsn = 8}), std::invalid_argument);
}

TEST(BurstPadding, FillsEachBurstWithZeros) {
  const std::vector<int> capacity = {405, 945, 270, 630, 135, 315, 67, 157};
  const std::vector<uint8_t> frame(40, 0x5A);
  for (int code = 0; code < 8; ++code) {
    const auto padded = PadToBurst(frame, code);
    ASSERT_EQ(padded.size(), static_cast<std::size_t>(capacity[static_cast<std::size_t>(code)])) << code;
    EXPECT_EQ(padded[39], 0x5A);
    EXPECT_EQ(padded.back(), 0);
  }
  EXPECT_EQ(PadToBurst(std::vector<uint8_t>(67, 1), 6).size(), 67u);
  EXPECT_THROW(PadToBurst(std::vector<uint8_t>(68, 1), 6), std::invalid_argument);
  EXPECT_THROW(PadToBurst(frame, 8), std::invalid_argument);
  EXPECT_THROW(PadToBurst(frame, -1), std::invalid_argument);
}

}  // namespace
}  // namespace talvir::testbench
