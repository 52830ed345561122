// Frames real ground stations and aircraft sent (received by others from the
// air), through the whole decoder chain.

#include "testbench_frames/recorded_frames.h"

#include <gtest/gtest.h>

#include <array>
#include <variant>

#include "full_chain_rig.h"
#include "tracking/position_text.h"

namespace talvir::testing {
namespace {

using testbench::FromHex;

struct RecordedChain : FullChain {
  RecordedChain()
      : FullChain({&SettingsRecord::showMpdu, &SettingsRecord::showSpdu, &SettingsRecord::showLpdu,
                   &SettingsRecord::showHfnpdu, &SettingsRecord::verbose, &SettingsRecord::showHAcars}) {}
  std::string Receive(std::string_view hex) {
    ui.decodedText.clear();
    EXPECT_TRUE(stack.decoder.ReceiveFrame(FromHex(hex), BurstInfo{6, 1, 0, "TS(1) ", -2.5, 41.0f, 120}));
    return ui.AllDecodedText();
  }
};

// Station 3's squitter: frame 734, offset 7, three stations, acknowledgements
// for AIDs 6E, 70 and 71.
TEST(RecordedFrames, Squitter) {
  RecordedChain chain;
  const std::string text = chain.Receive(testbench::kRecordedSquitter);
  const std::string start =
      "[HF GROUND STATION CHANGE -> REYKJAVIK - ICELAND]\r\n"
      " GND 06:31:45 UTC REYKJAVIK - ICELAND  DB = 26  SV = 0  GS UP LIGHT  OFFSET 7\r\n"
      "REYKJAVIK - ICELAND UTC LOCKED Active freqs (Hz)        4       5       6\r\n"
      "BARROW - ALASKA UTC LOCKED Active freqs (Hz)        5       8\r\n"
      "SANTA CRUZ - BOLIVIA UTC LOCKED Active freqs (Hz)        6       8\r\n"
      "\r\n"
      "LPDU ACK codes\r\n";
  EXPECT_EQ(text.substr(0, start.size()), start);
  for (const char* line :
       {"ACK S01(N-2) ID 6E  ACK(1)\r\n", "ACK S07(N-2) ID 70  ACK(1)\r\n", "ACK S03(N-1) ID 71  ACK(1)\r\n",
        "ASN S04 (N+0) AIR ID 68 \r\n", "ASN S02 (N+1) Random Access\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  const std::string end = "Frame Index = 734 * Frame offset = 7\r\nLowest Priority accepted 0\r\n\r\n";
  EXPECT_EQ(text.substr(text.size() - end.size()), end);
  EXPECT_EQ(chain.stack.decoder.CurrentGroundStationId(), 3);

  // The record holds what the text says, and the burst comes with it.
  ASSERT_EQ(chain.records.squitters.size(), 1u);
  const SquitterRecord& squitter = chain.records.squitters[0];
  EXPECT_EQ(squitter.frameIndex, 734);
  EXPECT_EQ(squitter.slotOffset, 7);
  EXPECT_EQ(squitter.systemTableVersion, 26);
  EXPECT_EQ((std::array{squitter.station1Id, squitter.station2Id, squitter.station3Id}), (std::array{3, 9, 13}));
  EXPECT_EQ(chain.records.bursts[0].votes, 120);
  EXPECT_DOUBLE_EQ(chain.records.bursts[0].frequencyErrorHz, -2.5);
}

// AID 71's performance report: flight SU0219 near 56 N 31 E.
TEST(RecordedFrames, AirMpduWithPerformanceData) {
  RecordedChain chain;
  chain.Receive(testbench::kRecordedSquitter);
  const std::string text = chain.Receive(testbench::kRecordedAirMpdu);
  const std::string start =
      "\r\n[MPDU 06:31:45 AIR 71 SLOT 1 300 BPS ]\r\n"
      "Nr LPDUs = 1 Ground station ID REYKJAVIK - ICELAND SYNCHED\r\n"
      "Aircraft ID 71\r\n"
      "Slots Requested medium = 0 Low = 0\r\n"
      "Max Bit rate 1200 bps U(R) = 0 UR(R)vect = 0\r\n"
      "[LPDU UNNUMBERED DATA FM AIR 71 TO GND]\r\n"
      "[HFNPDU PERFORMANCE]\r\n"
      "06:31:18  UTC  Flight ID = SU0219  LAT 56 21 3  N  LON 31 41 2  E  \r\n";
  const auto counts = [](int last) {
    return "1800 bps = 0\r\n1200 bps = 0\r\n600  bps = 0\r\n300  bps = " + std::to_string(last) + "\r\n";
  };
  EXPECT_EQ(text, start +
                      "Performance version 1\r\nFlight Leg 51\r\nGS REYKJAVIK - ICELAND\r\nNOT SYNCHED TO UTC\r\n"
                      "Frequency 6\r\nPrevious Leg lost count 12\r\nCurrent Leg lost count 0\r\n"
                      "Previous Leg Number of sec disabled 0\r\nCurrent Leg Number of sec disabled 0\r\n"
                      "Number of MPDUS received O.K\r\n" +
                      counts(3) + "Number of MPDUS received in Error\r\n" + counts(0) +
                      "Number of Squitters received O.K = 16\r\nNumber of Squitters received in Error = 0\r\n"
                      "Number of MPDUS transmitted\r\n" +
                      counts(4) + "Number of MPDUS received first time\r\n" + counts(3) +
                      "Reason for last frequency change = Too many NAKs\r\n\r\n\r\n");
  EXPECT_EQ(chain.ui.flightList, std::vector<std::string>{"SU0219"});
  EXPECT_EQ(chain.stack.decoder.FrameOutcomeLabel(), "SU0219");

  ASSERT_EQ(chain.records.mpdus.size(), 1u);
  EXPECT_EQ(chain.records.mpdus[0].direction, kDirectionAirToGround);
  EXPECT_EQ(chain.records.mpdus[0].aid, 0x71);
  EXPECT_EQ(chain.records.mpdus[0].groundStationId, 3);
  ASSERT_EQ(chain.records.lpdus.size(), 1u);
  const LpduRecord& lpdu = chain.records.lpdus[0];
  EXPECT_EQ(lpdu.type, 0x0D);
  ASSERT_TRUE(lpdu.hfnpdu.has_value());
  EXPECT_EQ(lpdu.hfnpdu->typeId, 0xD1);
  const auto* report = std::get_if<PositionReport>(&lpdu.hfnpdu->content);
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->flightId, "SU0219");
  EXPECT_NEAR(CoordinateDegrees(report->position.latitude), 56.351, 0.001);
  EXPECT_NEAR(CoordinateDegrees(report->position.longitude), 31.684, 0.001);
  EXPECT_EQ(report->flightLeg, 51);
  EXPECT_EQ(report->squittersReceivedOk, 16);
}

// Station 3's ACARS uplink to AID 6E (registration N69154).
TEST(RecordedFrames, GroundMpduWithAcarsUplink) {
  RecordedChain chain;
  chain.Receive(testbench::kRecordedSquitter);
  const std::string text = chain.Receive(testbench::kRecordedGroundMpdu);
  const std::string header =
      "\r\n[MPDU 06:31:45 GND SLOT 1 300 BPS ]\r\n"
      "Ground station ID REYKJAVIK - ICELAND SYNCHED\r\n"
      "NR AIR CALLS 1\r\n"
      "AIR CALL 0 = 6E\r\nLPDUS = 1\r\nMax Bit rate 300 bps \r\n"
      "[LPDU UNNUMBERED DATA FM GND TO AIR 6E]\r\n"
      "HACARS mode: 2  Aircraft reg: .N69154\r\n"
      "Message label: _<DEL>  Block id: W  [Uplink]\r\nMessage content:-\r\n\r\n";
  EXPECT_EQ(text.substr(0, header.size()), header);
  // Its check bytes 0A 0D are neither shown as a line break nor as text.
  EXPECT_TRUE(text.ends_with("[HFNPDU ACARS FM GND TO AIR 6E]\r\n<SOH>2.N691548_<DEL>W<ETX>\r\n\r\n")) << text;
  EXPECT_EQ(chain.stack.decoder.FrameOutcomeLabel(), "Ground");

  ASSERT_EQ(chain.records.lpdus.size(), 1u);
  const LpduRecord& lpdu = chain.records.lpdus[0];
  EXPECT_EQ(lpdu.direction, kDirectionGroundToAir);
  EXPECT_EQ(lpdu.aid, 0x6E);
  ASSERT_TRUE(lpdu.hfnpdu.has_value());
  const auto* acars = std::get_if<AcarsMessage>(&lpdu.hfnpdu->content);
  ASSERT_NE(acars, nullptr);
  EXPECT_TRUE(acars->uplink);
  EXPECT_EQ((std::array{acars->mode, acars->registration, acars->label, acars->blockId, acars->ack}),
            (std::array<std::string, 5>{"2", ".N69154", "_<DEL>", "W", "8"}));
  EXPECT_FALSE(acars->more);
}

}  // namespace
}  // namespace talvir::testing
