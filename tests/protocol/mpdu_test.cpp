#include <gtest/gtest.h>

#include "protocol_rig.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"
#include "testbench/frames/squitter_builder.h"

namespace talvir::testing {
namespace {

using namespace testbench;

std::vector<uint8_t> Hfnpdu(uint8_t tag) { return {0xFF, 0xD1, tag, tag}; }

AirMpduHeader AirHeader(uint8_t aid, uint8_t slotRequest) {
  AirMpduHeader h;
  h.groundStationId = 7;
  h.utcSynced = true;
  h.aid = aid;
  h.slotRequest = slotRequest;
  h.maxBitRateCode = 1;
  h.ur = 5;
  h.urVector = 7;
  return h;
}

TEST(Mpdu, AirHeadersWithoutLpdusAndTheirSlotRequestsAndRates) {
  struct Case {
    uint8_t aid;
    uint8_t slotRequest;
    int rateCode;
    bool synced;
    std::string expected;
  };
  const std::string airHeader =
      "\r\n[MPDU 00:00:00 AIR 3A SLOT 1 300 BPS ]\r\n"
      "Nr LPDUs = 0 Ground station ID SHANNON - IRELAND NOT SYNCHED\r\nAircraft ID 3A\r\n";
  const Case cases[] = {
      {255, 0x13, 1, true,
       "\r\n[MPDU 00:00:00 AIR LOGON SLOT 1 300 BPS ]\r\n"
       "Nr LPDUs = 0 Ground station ID SHANNON - IRELAND SYNCHED\r\nAircraft ID LOG-ON\r\n"
       "Slots Requested medium = 2 Low = 3\r\nMax Bit rate 300 bps U(R) = 5 UR(R)vect = 7\r\n" +
           kPreambleOk},
      {0x3A, 0x85, 4, false,
       airHeader + "NF Slots requested = 5\r\nMax Bit rate 1800 bps U(R) = 5 UR(R)vect = 7\r\n\r\n"},
      {0x3A, 0x53, 0, false,
       airHeader + "High priority slots requested = 5\r\nMax Bit rate Reserved U(R) = 5 UR(R)vect = 7\r\n\r\n"},
      {0x3A, 0x13, 5, false,
       airHeader + "Slots Requested medium = 2 Low = 3\r\nMax Bit rate U(R) = 5 UR(R)vect = 7\r\n\r\n"},
  };
  for (const Case& c : cases) {
    ProtocolRig rig;
    rig.Show({&SettingsRecord::showMpdu, &SettingsRecord::verbose});
    if (c.aid == 255) rig.Show({&SettingsRecord::showPreamble});  // and it passed
    AirMpduHeader h = AirHeader(c.aid, c.slotRequest);
    h.maxBitRateCode = c.rateCode;
    h.utcSynced = c.synced;
    EXPECT_EQ(rig.Receive(BuildAirMpdu(h, {})), c.expected);
    EXPECT_TRUE(rig.lastOk);
    EXPECT_TRUE(rig.hfnpdu.calls.empty());
    EXPECT_EQ(rig.decoder.FrameOutcome() == 255, c.aid == 255);
  }
}

TEST(Mpdu, RateAndSlotTexts) {
  EXPECT_EQ(FormatRateAndSlot(7, 4), "4,5 300 BPS");
  EXPECT_EQ(FormatRateAndSlot(6, 13), "13 300 BPS ");
  EXPECT_EQ(FormatRateAndSlot(3, 9), "9,10 1200 BPS ");
  EXPECT_EQ(FormatRateAndSlot(4, 5), "5 600 BPS ");
  EXPECT_EQ(FormatRateAndSlot(8, 5), "");
}

// Also: the outcome label names a known aircraft, and only a known one.
TEST(Mpdu, AirLpdusDecodedInOrderAllFifteen) {
  ProtocolRig rig;
  rig.flights.FlightDbUpdateFromPosition(7, 0x3A, 0, "BAW123", 0, 0, 0);
  std::vector<Lpdu> lpdus;
  for (uint8_t i = 0; i < 15; ++i) lpdus.push_back(BuildUnnumberedDataLpdu(Hfnpdu(i)));
  rig.Receive(BuildAirMpdu(AirHeader(0x3A, 0), lpdus));
  ASSERT_EQ(rig.hfnpdu.calls.size(), 15u);
  for (uint8_t i = 0; i < 15; ++i) {
    const auto& call = rig.hfnpdu.calls[i];
    EXPECT_EQ(call.data, Hfnpdu(i));
    EXPECT_EQ(std::tuple(call.link.direction, call.link.aid, call.link.groundStationId), std::tuple(1, 0x3A, 7));
  }
  EXPECT_EQ(rig.decoder.FrameOutcomeLabel(), "BAW123");
  ASSERT_FALSE(rig.ui.flightDetails.empty());
  EXPECT_NE(rig.ui.flightDetails.back().find("FLT BAW123"), std::string::npos);
  rig.Receive(BuildAirMpdu(AirHeader(0x3B, 0), {}));
  EXPECT_EQ(rig.decoder.FrameOutcomeLabel(), "");
}

TEST(Mpdu, LpdusPastTheReceivedBytesAreSkipped) {
  ProtocolRig rig;
  rig.Show({&SettingsRecord::showLpdu});
  auto frame =
      BuildAirMpdu(AirHeader(0x3A, 0), {BuildUnnumberedDataLpdu(Hfnpdu(1)), BuildUnnumberedDataLpdu(Hfnpdu(2))});
  frame.resize(frame.size() - 1);
  frame.shrink_to_fit();
  EXPECT_EQ(rig.Receive(frame), "[LPDU UNNUMBERED DATA FM AIR 3A TO GND]\r\n\r\n");
  ASSERT_EQ(rig.hfnpdu.calls.size(), 1u);
  EXPECT_EQ(rig.hfnpdu.calls[0].data, Hfnpdu(1));
}

TEST(Mpdu, BadHeaderFcsDecodesNoLpdu) {
  for (bool air : {true, false}) {
    ProtocolRig rig;
    rig.Show({&SettingsRecord::showMpdu, &SettingsRecord::showPreamble});
    auto frame = air ? BuildAirMpdu(AirHeader(0x3A, 0), {BuildUnnumberedDataLpdu(Hfnpdu(1))})
                     : BuildGroundMpdu({7, true}, {{0x3A, 1, {BuildUnnumberedDataLpdu(Hfnpdu(1))}}});
    frame[2] ^= 0x01;
    EXPECT_EQ(rig.Receive(frame), "[CRC FAIL]\r\n" + kPreambleFail);
    EXPECT_FALSE(rig.lastOk);
    EXPECT_TRUE(rig.hfnpdu.calls.empty());
  }
}

// What the modem asks before it hands a frame on: the header's FCS and every
// LPDU's, with the burst's zero padding after them; nothing is shown.
TEST(Mpdu, FrameIntactOnlyWhenEveryCheckSequenceHolds) {
  ProtocolRig rig;
  const std::vector<Lpdu> lpdus = {BuildUnnumberedDataLpdu(Hfnpdu(1)), BuildUnnumberedDataLpdu(Hfnpdu(2))};
  const auto air = BuildAirMpdu(AirHeader(0x3A, 0), lpdus);
  const auto ground = BuildGroundMpdu({7, true}, {{0, 1, {lpdus[0]}}, {0x3A, 2, lpdus}});
  for (auto frame : {air, ground}) {
    const std::size_t sent = frame.size();
    frame.resize(sent + 40, 0);
    EXPECT_TRUE(rig.decoder.FrameIntact(frame));
    for (const std::size_t at : {std::size_t{2}, sent - 3, sent - 1}) {
      frame[at] ^= 0x10;
      EXPECT_FALSE(rig.decoder.FrameIntact(frame)) << at;
      frame[at] ^= 0x10;
    }
    // The last LPDU cut short.
    EXPECT_FALSE(rig.decoder.FrameIntact(std::span(frame).first(sent - 1)));
  }
  auto squitter = testbench::BuildSquitter({});
  EXPECT_TRUE(rig.decoder.FrameIntact(squitter));
  squitter[10] ^= 1;
  EXPECT_FALSE(rig.decoder.FrameIntact(squitter));
  EXPECT_FALSE(rig.decoder.FrameIntact({}));
  EXPECT_EQ(rig.text.Length(), 0u);
}

TEST(Mpdu, GroundHeaderOfEightFullBlocks) {
  ProtocolRig rig;
  rig.Show({&SettingsRecord::showMpdu, &SettingsRecord::verbose});
  rig.burst.rateCode = 1;
  rig.burst.detectedSlotIndex = 4;
  std::vector<GroundMpduBlock> blocks;
  for (int b = 0; b < 8; ++b) {
    GroundMpduBlock block{static_cast<uint8_t>(b == 0 ? 0 : 0x10 + b), b % 5, {}};
    for (int i = 0; i < 15; ++i)
      block.lpdus.push_back(BuildUnnumberedDataLpdu(Hfnpdu(static_cast<uint8_t>(15 * b + i))));
    blocks.push_back(block);
  }
  const std::string text = rig.Receive(BuildGroundMpdu({7, false}, blocks));
  std::string expected =
      "\r\n[MPDU 00:00:00 GND SLOT 4,5 1800 BPS ]\r\n"
      "Ground station ID SHANNON - IRELAND NOT SYNCHED\r\nNR AIR CALLS 8\r\n";
  const char* rates[] = {"Reserved", "300 bps", "600 bps", "1200 bps", "1800 bps"};
  for (int b = 0; b < 8; ++b)
    expected += "AIR CALL " + std::to_string(b) + " = " + (b == 0 ? "BROADCAST" : std::to_string(10 + b)) +
                "\r\nLPDUS = 15\r\nMax Bit rate " + rates[b % 5] + " \r\n";
  EXPECT_EQ(text, expected + "\r\n");
  EXPECT_EQ(rig.decoder.FrameOutcomeLabel(), "Ground");
  ASSERT_EQ(rig.hfnpdu.calls.size(), 120u);
  for (int k = 0; k < 120; ++k) {
    const auto& call = rig.hfnpdu.calls[static_cast<std::size_t>(k)];
    EXPECT_EQ(call.data, Hfnpdu(static_cast<uint8_t>(k)));
    EXPECT_EQ(call.link.aid, k < 15 ? 0 : 0x10 + k / 15);
    EXPECT_EQ(call.link.direction, 0);
  }
}

}  // namespace
}  // namespace talvir::testing
