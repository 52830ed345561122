#include "testbench/frames/acars_block.h"

#include <gtest/gtest.h>

#include <bit>
#include <span>
#include <stdexcept>

#include "common/crc16.h"
#include "recorded_frames.h"

namespace talvir::testbench {
namespace {

TEST(AcarsBlock, RebuildsARecordedUplink) {
  const auto recorded = FromHex(kRecordedGroundMpdu);
  const AcarsMessage uplink{
      .mode = '2', .registration = "N69154", .technicalAck = '8', .label = "_\x7f", .blockId = 'W', .downlink = false};
  EXPECT_EQ(BuildAcarsBlock(uplink), std::vector<uint8_t>(recorded.begin() + 10, recorded.begin() + 27));
}

TEST(AcarsBlock, DownlinkLayoutParityBcsAndDel) {
  const AcarsMessage m{.registration = "VH-OGE",
                       .label = "H1",
                       .blockId = '3',
                       .messageNumber = "M01A",
                       .flightId = "QF0039",
                       .text = "#DFB ETA 0712"};
  const auto b = BuildVhfAcarsBlock(m);
  const std::size_t etx = 24 + m.text.size();
  ASSERT_EQ(b.size(), etx + 4);
  EXPECT_EQ(b[0], 0x01);
  EXPECT_EQ(b[13], 0x02);
  std::string text;
  for (std::size_t i = 0; i <= etx; ++i) {
    EXPECT_EQ(std::popcount(static_cast<unsigned>(b[i])) % 2, 1) << "byte " << i;
    text += static_cast<char>(b[i] & 0x7F);
  }
  EXPECT_EQ(text.substr(1, 12), "2.VH-OGE\x15H13");
  EXPECT_EQ(text.substr(14), "M01AQF0039#DFB ETA 0712\x03");
  const uint16_t bcs = AcarsBcs(std::span(b).subspan(1, etx));
  EXPECT_EQ(b[etx + 1], bcs & 0xFF);
  EXPECT_EQ(b[etx + 2], bcs >> 8);
  EXPECT_EQ(b.back(), 0x7F);
}

TEST(AcarsBlock, ShortFieldsArePaddedAndUplinkTextFollowsStx) {
  const auto b = BuildAcarsBlock(
      {.registration = "N1", .label = "5Z", .messageNumber = "D1", .flightId = "AA1", .lastBlock = false});
  std::string text;
  for (std::size_t i = 0; i < b.size() - 3; ++i) text += static_cast<char>(b[i] & 0x7F);
  EXPECT_EQ(text.substr(2, 7), ".....N1");
  EXPECT_EQ(text.substr(14), "D1  AA1   \x17");  // more blocks follow: ETB
  EXPECT_EQ(b[b.size() - 4], 0x97);

  const auto uplink =
      BuildAcarsBlock({.registration = "G-XLEA", .label = "QA", .blockId = 'A', .downlink = false, .text = "OK"});
  EXPECT_EQ(uplink[13] & 0x7F, 0x02);
  EXPECT_EQ(uplink[14] & 0x7F, 'O');
  EXPECT_EQ(uplink[16] & 0x7F, 0x03);
}

TEST(AcarsBlock, RefusesFieldsThatDoNotFit) {
  const AcarsMessage bad[] = {{.registration = "N123456X", .label = "H1"},
                              {.registration = "N1", .label = "H"},
                              {.registration = "N1", .label = "H1", .flightId = "BAW1234"},
                              {.registration = "N1", .label = "H1", .text = "caf\xc3\xa9"},
                              {.registration = "N1", .label = "H1", .text = std::string(221, 'x')}};
  for (const auto& m : bad) EXPECT_THROW(BuildAcarsBlock(m), std::invalid_argument) << m.registration;
}

}  // namespace
}  // namespace talvir::testbench
