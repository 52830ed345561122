#include <gtest/gtest.h>

#include "protocol_rig.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"

namespace talvir::testing {
namespace {

using namespace testbench;

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
