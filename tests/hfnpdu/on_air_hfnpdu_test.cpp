// HFNPDUs from frames received on the air (the MPDUs of the recordings'
// README, ground station 3): the layouts must give plausible values there.

#include <gtest/gtest.h>

#include "hfnpdu/hfnpdu_test_rig.h"
#include "testbench_frames/recorded_frames.h"

namespace talvir {
namespace {

using testbench::FromHex;

class OnAirHfnpduTest : public ::testing::Test, protected testing::HfnpduTestRig {
 protected:
  OnAirHfnpduTest() {
    settings.Set(&SettingsRecord::showHfnpdu, 1);
    link.aid = 0x71;
  }
};

TEST_F(OnAirHfnpduTest, PerformanceReportOfAnAeroflotFlight) {
  settings.Set(&SettingsRecord::verbose, 1);
  const std::string text = Decode(FromHex(
      "ffd15355303231392681e28716db2d013303050c00000000000000000000030000000010000000000004000000"
      "0301"));
  EXPECT_EQ(text,
            "[HFNPDU PERFORMANCE]\r\n06:31:18  UTC  Flight ID = SU0219  LAT 56 21 3  N  "
            "LON 31 41 2  E  \r\n"
            "Performance version 1\r\nFlight Leg 51\r\nGS REYKJAVIK - ICELAND\r\n"
            "NOT SYNCHED TO UTC\r\nFrequency 6\r\n"
            "Previous Leg lost count 12\r\nCurrent Leg lost count 0\r\n"
            "Previous Leg Number of sec disabled 0\r\nCurrent Leg Number of sec disabled 0\r\n"
            "Number of MPDUS received O.K\r\n"
            "1800 bps = 0\r\n1200 bps = 0\r\n600  bps = 0\r\n300  bps = 3\r\n"
            "Number of MPDUS received in Error\r\n"
            "1800 bps = 0\r\n1200 bps = 0\r\n600  bps = 0\r\n300  bps = 0\r\n"
            "Number of Squitters received O.K = 16\r\n"
            "Number of Squitters received in Error = 0\r\n"
            "Number of MPDUS transmitted\r\n"
            "1800 bps = 0\r\n1200 bps = 0\r\n600  bps = 0\r\n300  bps = 4\r\n"
            "Number of MPDUS received first time\r\n"
            "1800 bps = 0\r\n1200 bps = 0\r\n600  bps = 0\r\n300  bps = 3\r\n"
            "Reason for last frequency change = Too many NAKs\r\n\r\n");
  EXPECT_GE(flights.FlightDbFindByFlightId("SU0219"), 0);
}

TEST_F(OnAirHfnpduTest, AcarsUplinkWithoutText) {
  link.direction = kDirectionGroundToAir;
  const std::string text = Decode(FromHex("ffff0132aeceb6b931b53438df7f57838a8d7f"));
  // Its check bytes 0A 0D are neither shown as a line break nor as text.
  EXPECT_EQ(text, "[HFNPDU ACARS FM GND TO AIR 71]\r\n<SOH>2.N691548_<DEL>W<ETX>\r\n");
  ASSERT_EQ(dde.published.size(), 1u);
  EXPECT_EQ(dde.published[0],
            "HACARS mode: 2  Aircraft reg: .N69154\nMessage label: _<DEL>  Block id: W  "
            "[Uplink]\nMessage content:-\n\n" +
                testing::kTestClosingLine);
}

}  // namespace
}  // namespace talvir
