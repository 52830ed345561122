// Frames real ground stations and aircraft sent (received by others from the
// air), through the whole decoder chain.

#include <gtest/gtest.h>

#include "full_chain_rig.h"
#include "testbench_frames/recorded_frames.h"

namespace talvir::testing {
namespace {

using testbench::FromHex;

struct RecordedChain : FullChain {
  RecordedChain()
      : FullChain({&SettingsRecord::showMpdu, &SettingsRecord::showSpdu, &SettingsRecord::showLpdu,
                   &SettingsRecord::showHfnpdu, &SettingsRecord::verbose, &SettingsRecord::showHAcars}) {}
  std::string Receive(std::string_view hex) {
    ui.decodedText.clear();
    EXPECT_TRUE(stack.decoder.ReceiveFrame(FromHex(hex), BurstInfo{6, 1, 0, "TS(1) "}));
    return ui.AllDecodedText();
  }
};

// Station 3's squitter: frame 734, offset 7, three stations, acknowledgements
// for AIDs 6E, 70 and 71.
TEST(RecordedFrames, Squitter) {
  RecordedChain chain;
  EXPECT_EQ(chain.Receive(testbench::kRecordedSquitter),
      "[HF GROUND STATION CHANGE -> REYKJAVIK - ICELAND]\r\n"
      " GND 06:31:45 UTC REYKJAVIK - ICELAND  DB = 26  SV = 0  GS UP LIGHT  OFFSET 7\r\n"
      "REYKJAVIK - ICELAND UTC LOCKED Active freqs (Hz)        4       5       6\r\n"
      "BARROW - ALASKA UTC LOCKED Active freqs (Hz)        5       8\r\n"
      "SANTA CRUZ - BOLIVIA UTC LOCKED Active freqs (Hz)        6       8\r\n"
      "\r\n"
      "LPDU ACK codes\r\n"
      "ACK S11(N-3) ID 00  \r\n"
      "ACK S12(N-3) ID 00  \r\n"
      "ACK S01(N-2) ID 6E  ACK(1)\r\n"
      "ACK S02(N-2) ID 00  \r\n"
      "ACK S03(N-2) ID 00  \r\n"
      "ACK S04(N-2) ID 00  \r\n"
      "ACK S05(N-2) ID 00  \r\n"
      "ACK S06(N-2) ID 00  \r\n"
      "ACK S07(N-2) ID 70  ACK(1)\r\n"
      "ACK S08(N-2) ID 00  \r\n"
      "ACK S09(N-2) ID 00  \r\n"
      "ACK S10(N-2) ID 00  \r\n"
      "ACK S11(N-2) ID 00  \r\n"
      "ACK S12(N-2) ID 00  \r\n"
      "ACK S01(N-1) ID 00  \r\n"
      "ACK S02(N-1) ID 00  \r\n"
      "ACK S03(N-1) ID 71  ACK(1)\r\n"
      "ACK S04(N-1) ID 00  \r\n"
      "ACK S05(N-1) ID 00  \r\n"
      "ACK S06(N-1) ID 00  \r\n"
      "ACK S07(N-1) ID 00  \r\n"
      "ACK S08(N-1) ID 00  \r\n"
      "ACK S09(N-1) ID 00  \r\n"
      "ACK S10(N-1) ID 00  \r\n"
      "Slot assignment codes\r\n"
      "ASN S03 (N+0) Random Access\r\n"
      "ASN S04 (N+0) AIR ID 68 \r\n"
      "ASN S05 (N+0) AIR ID 6B \r\n"
      "ASN S06 (N+0) Random Access\r\n"
      "ASN S07 (N+0) Random Access\r\n"
      "ASN S08 (N+0) Random Access\r\n"
      "ASN S09 (N+0) Random Access\r\n"
      "ASN S10 (N+0) Random Access\r\n"
      "ASN S11 (N+0) Random Access\r\n"
      "ASN S12 (N+0) Random Access\r\n"
      "ASN S01 (N+1) Random Access\r\n"
      "ASN S02 (N+1) Random Access\r\n"
      "Frame Index = 734 * Frame offset = 7\r\n"
      "Lowest Priority accepted 0\r\n"
      "\r\n");
  EXPECT_EQ(chain.stack.decoder.CurrentGroundStationId(), 3);
}

// AID 71's performance report: flight SU0219 near 56 N 31 E.
TEST(RecordedFrames, AirMpduWithPerformanceData) {
  RecordedChain chain;
  chain.Receive(testbench::kRecordedSquitter);
  EXPECT_EQ(chain.Receive(testbench::kRecordedAirMpdu),
      "\r\n"
      "[MPDU 06:31:45 AIR 71 SLOT 1 300 BPS ]\r\n"
      "Nr LPDUs = 1 Ground station ID REYKJAVIK - ICELAND SYNCHED\r\n"
      "Aircraft ID 71\r\n"
      "Slots Requested medium = 0 Low = 0\r\n"
      "Max Bit rate 1200 bps U(R) = 0 UR(R)vect = 0\r\n"
      "[LPDU UNNUMBERED DATA FM AIR 71 TO GND]\r\n"
      "[HFNPDU PERFORMANCE]\r\n"
      "06:31:18  UTC  Flight ID = SU0219  LAT 56 21 3  N  LON 31 41 2  E  \r\n"
      "Performance version 1\r\n"
      "Flight Leg 51\r\n"
      "GS REYKJAVIK - ICELAND\r\n"
      "NOT SYNCHED TO UTC\r\n"
      "Frequency 6\r\n"
      "Previous Leg lost count 12\r\n"
      "Current Leg lost count 0\r\n"
      "Previous Leg Number of sec disabled 0\r\n"
      "Current Leg Number of sec disabled 0\r\n"
      "Number of MPDUS received O.K\r\n"
      "1800 bps = 0\r\n"
      "1200 bps = 0\r\n"
      "600  bps = 0\r\n"
      "300  bps = 3\r\n"
      "Number of MPDUS received in Error\r\n"
      "1800 bps = 0\r\n"
      "1200 bps = 0\r\n"
      "600  bps = 0\r\n"
      "300  bps = 0\r\n"
      "Number of Squitters received O.K = 16\r\n"
      "Number of Squitters received in Error = 0\r\n"
      "Number of MPDUS transmitted\r\n"
      "1800 bps = 0\r\n"
      "1200 bps = 0\r\n"
      "600  bps = 0\r\n"
      "300  bps = 4\r\n"
      "Number of MPDUS received first time\r\n"
      "1800 bps = 0\r\n"
      "1200 bps = 0\r\n"
      "600  bps = 0\r\n"
      "300  bps = 3\r\n"
      "Reason for last frequency change = Too many NAKs\r\n"
      "\r\n"
      "\r\n");
  EXPECT_EQ(chain.ui.flightList, std::vector<std::string>{"SU0219"});
  EXPECT_EQ(chain.stack.decoder.FrameOutcomeLabel(), "SU0219");
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
      "HACARS mode: 2  Aircraft reg: .N69154\r\n";
  EXPECT_EQ(text.substr(0, header.size()), header);
  EXPECT_NE(text.find("[Uplink]"), std::string::npos);
  EXPECT_NE(text.find("[HFNPDU ACARS FM GND TO AIR 6E]\r\n"), std::string::npos);
  EXPECT_EQ(chain.stack.decoder.FrameOutcomeLabel(), "Ground");
}

}  // namespace
}  // namespace talvir::testing
