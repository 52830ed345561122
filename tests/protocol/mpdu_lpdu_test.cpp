// MPDU headers and the LPDUs they carry, in both directions.

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

std::vector<uint8_t> Downlink(const std::vector<Lpdu>& lpdus, uint8_t aid = 0x3A) {
  AirMpduHeader h;
  h.groundStationId = 7;
  h.aid = aid;
  return BuildAirMpdu(h, lpdus);
}

std::vector<uint8_t> Uplink(const std::vector<Lpdu>& lpdus, uint8_t aid = 0x3A) {
  return BuildGroundMpdu({7, true}, {{aid, 1, lpdus}});
}

const std::vector<uint8_t> kHfnpdu = {0xFF, 0xD2, 0x00};
// 41 00 7A: three hex fields, 12 single blanks, 4 blanks, the letters; then padding only.
const std::string kThreeByteDump =
    "41 00 7A " + std::string(12, ' ') + "    A .z \r\n" + std::string(15, ' ') + "    \r\n";

struct LpduRig : ProtocolRig {
  LpduRig() { Show({&SettingsRecord::showLpdu}); }
};

TEST(Lpdu, DataLpdusInBothDirections) {
  NumberedDataFields numbered;
  numbered.typeByte = 0x02;
  numbered.rn = 3;
  numbered.us = 9;
  numbered.pq = 5;
  numbered.more = true;
  numbered.bsn = 6;
  numbered.bduData = {'A', 0x00, 'z'};
  struct Case {
    std::vector<uint8_t> frame;
    std::string expected;
  };
  const Case cases[] = {
      {Downlink({BuildNumberedDataLpdu(numbered)}),
       std::string("[LPDU NUMBERED DATA FM AIR 3A TO GND]\r\nRN = 3  U(S)/D(S) = 9\r\n") +
           "[BDU PQ = 5  M = 1  BSN = 6]\r\n" + kThreeByteDump},
      {Uplink({BuildNumberedDataLpdu(numbered)}),
       std::string("[LPDU NUMBERED DATA FM GND TO AIR 3A]\r\nRN = 3  U(S)/D(S) = 9\r\n") +
           "[BDU PQ = 5  M = 1  BSN = 6]\r\n" + kThreeByteDump},
      {Downlink({BuildUnnumberedDataLpdu(kHfnpdu)}), "[LPDU UNNUMBERED DATA FM AIR 3A TO GND]\r\n"},
      {Uplink({BuildUnnumberedDataLpdu(kHfnpdu)}, 0), "[LPDU UNNUMBERED DATA FM GND TO AIR BRD]\r\n"},
      {Downlink({BuildUnnumberedDataLpdu(kHfnpdu, true)}), "[LPDU UNNUMBERED ACKED DATA FM AIR 3A TO GND]\r\n"},
      {Uplink({BuildUnnumberedDataLpdu(kHfnpdu, true)}, 255), "[LPDU UNNUMBERED ACKED DATA FM GND TO AIR LOGON]\r\n"},
  };
  for (const Case& c : cases) {
    LpduRig rig;
    rig.Show({&SettingsRecord::showBdu});
    EXPECT_EQ(rig.Receive(c.frame), c.expected + "\r\n");
  }
}

TEST(Lpdu, DataLpdusPassHfnpdusOnWithLpduOff) {
  ProtocolRig rig;
  rig.Receive(
      Downlink({BuildUnnumberedDataLpdu(kHfnpdu), BuildLogonRequestLpdu(LpduType::kLogonRequest, 0xABCDEF, kHfnpdu)}));
  ASSERT_EQ(rig.hfnpdu.calls.size(), 2u);
  EXPECT_EQ(rig.hfnpdu.calls[0].data, kHfnpdu);
  EXPECT_EQ(rig.hfnpdu.calls[1].data, kHfnpdu);
  EXPECT_EQ(rig.hfnpdu.calls[1].link.icaoAddress, 0xABCDEF);
  EXPECT_EQ(rig.hfnpdu.calls[1].link.icaoKnown, 1);
}

// The ICAO address travels bit-reversed: 01 00 00 is 800000.
TEST(Lpdu, LogonFamilyTexts) {
  LogonConfirmFields confirm{0xABCDEF, 0x42, 3, 17, 0x8A};
  struct Case {
    Lpdu lpdu;
    std::string expected;
  };
  const uint8_t first[] = {0x01, 0x00, 0x00};
  const Case cases[] = {
      {BuildLpdu(0x8F, first), "[LPDU LOG ON REQUEST]\r\nICAO 800000\r\n"},
      {BuildLogonRequestLpdu(LpduType::kLogonDlsRequest, 0x123456), "[LPDU LOG ON DLS REQUEST]\r\nICAO 123456\r\n"},
      {BuildLogonRequestLpdu(LpduType::kLogonResume, 0x123456), "[LPDU LOG ON RESUME]\r\nICAO 123456\r\n"},
      {BuildLogonConfirmLpdu(LpduType::kLogonConfirm, confirm),
       "[LPDU LOG ON CONFIRM]\r\nICAO ABCDEF ID 42 TXW = 3 D(R) = 17 D(R)vect = 138\r\n"},
      {BuildLogonConfirmLpdu(LpduType::kLogonResumeConfirm, confirm),
       "[LPDU LOG ON RESUME CONFIRM]\r\nICAO ABCDEF AID 42 TXW = 3 D(R) = 17 D(R)vect = 138\r\n"},
      {BuildReasonLpdu(LpduType::kLogonDenied, 0x123456, 1),
       "[LPDU LOG ON DENIED]\r\nICAO 123456 REASON 01 NO AID AVAILABLE \r\n"},
      {BuildReasonLpdu(LpduType::kLogonDenied, 0x123456, 7),
       "[LPDU LOG ON DENIED]\r\nICAO 123456 REASON 07 ILLEGAL REASON CODE \r\n"},
      {BuildReasonLpdu(LpduType::kLogoffRequest, 0x123456, 7),
       "[LPDU LOG OFF REQUEST]\r\nICAO 123456 REASON 07 TEMPORARY TRANSCEIVER SHUTDOWN \r\n"},
      {BuildReasonLpdu(LpduType::kLogoffRequest, 0x123456, 9),
       "[LPDU LOG OFF REQUEST]\r\nICAO 123456 REASON 09 ILLEGAL REASON CODE \r\n"},
  };
  for (const Case& c : cases) {
    LpduRig rig;
    EXPECT_EQ(rig.Receive(Uplink({c.lpdu}, 255)), c.expected + "\r\n");
    EXPECT_TRUE(rig.hfnpdu.calls.empty());  // exactly the fields: no HFNPDU
  }
}

TEST(Lpdu, LogonConfirmGivesTheFollowingLpdusTheNewAid) {
  LpduRig rig;
  // An aircraft known under AID 42 at this station with its flight id.
  rig.flights.FlightDbUpdateFromPosition(7, 0x42, 0, "BAW123", 0, 0, 0);
  const LogonConfirmFields confirm{0xABCDEF, 0x42, 0, 0, 0};
  const std::string text = rig.Receive(
      Uplink({BuildLogonConfirmLpdu(LpduType::kLogonConfirm, confirm), BuildUnnumberedDataLpdu(kHfnpdu)}, 255));
  EXPECT_EQ(text,
            "[LPDU LOG ON CONFIRM]\r\nICAO ABCDEF ID 42 TXW = 0 D(R) = 0 D(R)vect = 0\r\n"
            "[LPDU UNNUMBERED DATA FM GND TO AIR BAW123]\r\n\r\n");
  ASSERT_EQ(rig.hfnpdu.calls.size(), 1u);
  EXPECT_EQ(rig.hfnpdu.calls[0].link.aid, 0x42);
  EXPECT_EQ(rig.hfnpdu.calls[0].link.icaoAddress, 0xABCDEF);
  EXPECT_EQ(rig.hfnpdu.calls[0].link.icaoKnown, 0);  // a confirm does not set it
  // The record of key (7, 42) learns the address ...
  EXPECT_EQ(rig.flights.FlightDbFindByIcao(0xABCDEF), 0);
  EXPECT_EQ(rig.flights.FlightDbFindByLogonKey(7 * 256 + 0x42), 0);

  // ... and a confirm for an unknown aircraft creates one under its key.
  const LogonConfirmFields other{0x111111, 0x43, 0, 0, 0};
  EXPECT_EQ(rig.Receive(
                Uplink({BuildLogonConfirmLpdu(LpduType::kLogonConfirm, other), BuildUnnumberedDataLpdu(kHfnpdu)}, 255)),
            "[LPDU LOG ON CONFIRM]\r\nICAO 111111 ID 43 TXW = 0 D(R) = 0 D(R)vect = 0\r\n"
            "[LPDU UNNUMBERED DATA FM GND TO AIR 43]\r\n\r\n");
  EXPECT_EQ(rig.flights.FlightDbFindByIcao(0x111111), rig.flights.FlightDbFindByLogonKey(7 * 256 + 0x43));
}

TEST(Lpdu, UnknownTypeCrcFailureAndShortBodies) {
  ProtocolRig quiet;  // "LPDU" off: the unknown line still shows
  const uint8_t body[] = {1, 2, 3};
  EXPECT_EQ(quiet.Receive(Downlink({BuildLpdu(0x6F, body)})), "[LPDU UNKNOWN REQUEST]\r\n\r\n");

  LpduRig rig;
  auto bad = BuildUnnumberedDataLpdu(kHfnpdu);
  bad[1] ^= 0x10;
  EXPECT_EQ(rig.Receive(Downlink({bad, BuildUnnumberedDataLpdu(kHfnpdu)})),
            "LPDU [CRC FAIL]\r\n[LPDU UNNUMBERED DATA FM AIR 3A TO GND]\r\n\r\n");
  EXPECT_EQ(rig.hfnpdu.calls.size(), 1u);

  // Bodies shorter than the handler's fields print nothing and change nothing.
  rig.hfnpdu.calls.clear();
  const uint8_t shortBody[] = {1, 2};
  const uint8_t shortConfirm[] = {1, 2, 3, 0x42, 0, 0};
  EXPECT_EQ(rig.Receive(Uplink({BuildLpdu(0x8F, shortBody), BuildLpdu(0x9F, shortConfirm), BuildLpdu(0x2F, shortBody),
                                BuildLpdu(0x00, {}), BuildUnnumberedDataLpdu(kHfnpdu)})),
            "[LPDU UNNUMBERED DATA FM GND TO AIR 3A]\r\n\r\n");
  ASSERT_EQ(rig.hfnpdu.calls.size(), 1u);
  EXPECT_EQ(rig.hfnpdu.calls[0].link.aid, 0x3A);
  EXPECT_EQ(rig.hfnpdu.calls[0].link.icaoAddress, 0);
}

}  // namespace
}  // namespace talvir::testing
