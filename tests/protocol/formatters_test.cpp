#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "protocol/information_texts.h"
#include "protocol/squitter_text.h"
#include "protocol_rig.h"

namespace talvir::testing {
namespace {

TEST(Formatters, FlightLabelsAndFrequencyLists) {
  ProtocolRig rig;
  const TextFormatters& f = rig.formatters;
  EXPECT_EQ(f.FlightLabel(0), "BRD");
  EXPECT_EQ(f.FlightLabel(255), "LOGON");
  EXPECT_EQ(f.FlightLabel(0x3A), "3A");
  EXPECT_EQ(f.FlightLabelOrEmpty(0), "");
  EXPECT_EQ(f.FlightLabelOrEmpty(255), "LOGON");
  EXPECT_EQ(f.FlightLabelOrEmpty(0x3A), "");
  rig.flights.FlightDbUpdateFromPosition(7, 0x3A, 0, "BAW123", 0, 0, 0);
  EXPECT_EQ(f.FlightLabel(0x3A), "BAW123");
  EXPECT_EQ(f.FlightLabelOrEmpty(0x3A), "BAW123");
  EXPECT_EQ(f.FormatAckCode(0x5FF), "ID FF LOGON ACK(13)");
  EXPECT_EQ(f.FormatAckCode(0xF3A), "ID 3A BAW123 ACK(1234)");
  EXPECT_EQ(f.FormatAckCode(0x012), "ID 12  ");
  EXPECT_EQ(f.FormatSlotAssignment(0x3A), "AIR ID 3A BAW123");
  EXPECT_EQ(f.FormatSlotAssignment(0), "Uplink or not assigned");

  auto table = std::make_unique<SystemTable>();
  table->version = 2;
  table->stationCount = 1;
  table->stations[0].id = 7;
  table->stations[0].frequencyCount = 2;
  table->stations[0].frequencies[0] = {8927000, 0};
  table->stations[0].frequencies[1] = {900, 0};
  rig.systemTable.StoreSystemTable(*table);
  rig.systemTable.SetSystemTableValid(true);
  EXPECT_EQ(rig.formatters.FormatFrequencyList(7, 0x3), "    8927 KHz      900");
  EXPECT_EQ(rig.formatters.FormatFrequencyList(7, 0), "");
  // A frequency the table does not hold shows its number, not 0.
  EXPECT_EQ(rig.formatters.FormatFrequencyList(7, 0x5), "    8927 KHz        3");
  EXPECT_EQ(rig.formatters.FormatFrequencyList(8, 0x80001), "       1      20");
  EXPECT_EQ(rig.formatters.FormatFrequencyList(8, 0xFFFFF).size(), 20u * 8);
}

TEST(InformationTexts, SquittersWindow) {
  ProtocolRig rig;
  SquittersWindowText window(rig.formatters);
  SquitterHistory::Snapshot squitters;
  squitters.latest.ackCodes[0] = 0x5FF;
  squitters.latest.slotAssignments[0] = 254;
  squitters.latest.slotAssignments[10] = 255;
  squitters.latest.station1Id = 7;
  squitters.latest.station1Utc = 1;
  squitters.latest.station1FrequencyMask = 0x1;
  squitters.latest.station2Id = 3;
  squitters.latest.station2FrequencyMask = 0x2;

  const SquittersWindowFields plain = window.RenderSquittersWindow(squitters, false, "summary");
  EXPECT_EQ(plain.acknowledgements.substr(0, 42), "\r\n ACK S11(N-3) ID FF LOGON ACK(13)\r\n ACK ");
  EXPECT_NE(plain.acknowledgements.find("ID 00  \r\n\r\n ACK S01(N-2)"), std::string::npos);
  EXPECT_NE(plain.acknowledgements.find("\r\n\r\n ACK S01(N-1)"), std::string::npos);
  EXPECT_EQ(plain.assignments.substr(0, 32), "\r\n ASN S03 (N+0) Random Access\r\n");
  EXPECT_NE(plain.assignments.find("\r\n\r\n ASN S01 (N+1) Reserved\r\n ASN S02 (N+1) Uplink or not assigned\r\n"),
            std::string::npos);
  EXPECT_EQ(plain.groundStationStatus, "summary");
  EXPECT_EQ(plain.stations,
            "REYKJAVIK - ICELAND \r\n       2\r\n\r\n"
            "SHANNON - IRELAND UTC\r\n       1\r\n\r\n");

  // Smart display without a previous squitter: S01, S02 show code 0.
  const SquittersWindowFields smart = window.RenderSquittersWindow(squitters, true, "summary");
  const std::string smartStart =
      "\r\n ASN S01 (N+0) Uplink or not assigned\r\n ASN S02 (N+0) Uplink or not assigned\r\n"
      " ASN S03 (N+0) Random Access\r\n";
  EXPECT_EQ(smart.assignments.substr(0, smartStart.size()), smartStart);
  EXPECT_EQ(smart.assignments.find("(N+1)"), std::string::npos);

  // Stations heard stay listed.
  squitters.latest.station1Id = 0;
  squitters.latest.station2Id = 0;
  EXPECT_EQ(window.RenderSquittersWindow(squitters, false, "").stations, plain.stations);
}

TEST(InformationTexts, Statistics) {
  std::array<int32_t, kFrameCounterCount> counters{};
  for (int i = 0; i < kFrameCounterCount; ++i) counters[static_cast<std::size_t>(i)] = 100 + i;
  EXPECT_EQ(RenderStatisticsWindow(counters),
            "Total frames 100 errors 101\r\n\r\n"
            "Squitters 118 errors 119\r\n\r\n"
            "300 bps 1.8 frames 102 errors 103\r\n"
            "300 bps 4.2 frames 104 errors 105\r\n\r\n"
            "600 bps 1.8 frames 106 errors 107\r\n"
            "600 bps 4.2 frames 108 errors 109\r\n\r\n"
            "1200 bps 1.8 frames 110 errors 111 \r\n"
            "1200 bps 4.2 frames 112 errors 113 \r\n\r\n"
            "1800 bps 1.8 frames 114 errors 115\r\n"
            "1800 bps 4.2 frames 116 errors 117\r\n");
}

}  // namespace
}  // namespace talvir::testing
