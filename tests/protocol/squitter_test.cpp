// Squitters through the decoder, and the texts of the windows and lines
// they and the frame counters feed.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "protocol/information_texts.h"
#include "protocol/squitter_text.h"
#include "protocol_rig.h"
#include "testbench/frames/squitter_builder.h"

namespace talvir::testing {
namespace {

using testbench::BuildSquitter;
using testbench::SquitterFields;

SquitterFields ShannonSquitter() {
  SquitterFields f;
  f.squitterVersion = 2;
  f.stations[0] = {7, true, 0x5};  // frequencies 1 and 3
  f.stations[1] = {3, false, 0};
  f.stations[2] = {0, false, 0};
  f.frameIndex = 2699;
  f.slotOffset = 12;
  f.priorityByte = 0x23;
  f.systemTableVersion = 5;
  return f;
}

constexpr const char* kChange = "[HF GROUND STATION CHANGE -> SHANNON - IRELAND]\r\n";
constexpr const char* kSummary = " GND 23:59:57 UTC SHANNON - IRELAND  DB = 5  SV = 2  GS UP LIGHT  OFFSET 12";
const std::string kStations =
    "SHANNON - IRELAND UTC LOCKED Active freqs (Hz)        1       3\r\n"
    "REYKJAVIK - ICELAND UTC UNLOCKED Active freqs (Hz) \r\n"
    "UNKNOWN UTC UNLOCKED Active freqs (Hz) \r\n"
    "\r\n";

std::vector<uint8_t> Corrupted(std::vector<uint8_t> frame) {
  frame[10] ^= 0x40;
  return frame;
}

// A system table of station 7 alone.
bool StoreStation7(ProtocolRig& rig, int version, std::initializer_list<SystemTableFrequencyEntry> frequencies) {
  auto table = std::make_unique<SystemTable>();
  table->version = version;
  table->stationCount = 1;
  table->stations[0].id = 7;
  table->stations[0].frequencyCount = static_cast<int>(frequencies.size());
  std::copy(frequencies.begin(), frequencies.end(), table->stations[0].frequencies);
  return rig.systemTable.StoreSystemTable(*table);
}

TEST(Squitter, GoodSquitterUnderEachDisplayOption) {
  const auto frame = BuildSquitter(ShannonSquitter());
  struct Case {
    const char* name;
    std::initializer_list<Settings::IntField> show;
    std::string expected;
  };
  const Case cases[] = {
      {"nothing", {}, std::string(kChange) + "\r\n"},
      {"spdu", {&SettingsRecord::showSpdu}, std::string(kChange) + kSummary + "\r\n" + kStations + "\r\n"},
      {"preamble", {&SettingsRecord::showPreamble}, kChange + kPreambleOk},
      {"spdu+preamble",
       {&SettingsRecord::showSpdu, &SettingsRecord::showPreamble},
       kChange + kPreambleOk + kSummary + "\r\n" + kStations},
      {"verbose without spdu", {&SettingsRecord::verbose}, std::string(kChange) + "\r\n"},
  };
  for (const Case& c : cases) {
    ProtocolRig rig;
    rig.Show(c.show);
    EXPECT_EQ(rig.Receive(frame), c.expected) << c.name;
    EXPECT_TRUE(rig.lastOk) << c.name;
    EXPECT_EQ(rig.decoder.FrameOutcomeLabel(), "Squitter");
  }
}

TEST(Squitter, SetsClockStationsAndRecords) {
  ProtocolRig rig;
  rig.Show({&SettingsRecord::showSpdu, &SettingsRecord::verbose});
  const std::string verbose = rig.Receive(BuildSquitter(ShannonSquitter()));
  EXPECT_TRUE(verbose.ends_with("Frame Index = 2699 * Frame offset = 12\r\nLowest Priority accepted 3\r\n\r\n"));
  EXPECT_EQ(rig.clock.Seconds(), 86397);
  EXPECT_EQ(rig.clock.FormatUtcClock(), "23:59:57");
  for (int tick = 0; tick < 4; ++tick) rig.clock.UtcClockTick();
  EXPECT_EQ(rig.clock.FormatUtcClock(), "00:00:01") << "the seconds' tick wraps at midnight";
  EXPECT_EQ(rig.slotClock.resets, 1);
  EXPECT_EQ(rig.decoder.SquitterSeen(), 1);
  EXPECT_EQ(rig.decoder.CurrentGroundStationId(), 7);
  EXPECT_EQ(rig.decoder.LastSquitterSlotOffset(), 12);
  EXPECT_EQ(rig.stations.GroundStationActiveMask(7), 0x5u);
  EXPECT_TRUE(rig.stations.GroundStationsTakeChanged());
  ASSERT_EQ(rig.ui.squitterLines.size(), 1u);
  EXPECT_EQ(rig.ui.squitterLines[0], kSummary);
  EXPECT_EQ(rig.ui.squitterUpdates, 1);

  SquitterFields second = ShannonSquitter();
  second.frameIndex = 2700;
  second.slotOffset = 12;
  rig.Receive(BuildSquitter(second));
  const auto squitters = rig.decoder.Squitters();
  EXPECT_EQ(squitters.latest.frameIndex, 2700);
  EXPECT_EQ(squitters.previous.frameIndex, 2699);
  EXPECT_EQ(squitters.latest.priorityByte, 0x23);
  EXPECT_EQ(squitters.latest.byteCount, 66);
  // Frame 2700 is 86400 s into the day: the clock wraps to the next one.
  EXPECT_EQ(rig.clock.FormatUtcClock(), "00:00:29");
}

TEST(Squitter, BadFcsOrShortFrameChangesNothingButTheCrcFlag) {
  ProtocolRig rig;
  rig.Show({&SettingsRecord::showSpdu, &SettingsRecord::showPreamble});
  rig.Receive(BuildSquitter(ShannonSquitter()));
  const int resets = rig.slotClock.resets;

  SquitterFields other = ShannonSquitter();
  other.stations[0].id = 3;
  EXPECT_EQ(rig.Receive(Corrupted(BuildSquitter(other))), kPreambleFail + "[CRC FAIL]\r\n");
  EXPECT_FALSE(rig.lastOk);
  EXPECT_EQ(rig.decoder.FrameOutcomeLabel(), "CRC Fail");
  EXPECT_EQ(rig.decoder.SquitterSeen(), 0);
  EXPECT_EQ(rig.decoder.Squitters().latest.station1Id, 7);
  EXPECT_EQ(rig.decoder.CurrentGroundStationId(), 7);
  EXPECT_EQ(rig.slotClock.resets, resets);

  rig.settings.Set(&SettingsRecord::showPreamble, 0);
  EXPECT_EQ(rig.Receive(Corrupted(BuildSquitter(other))), "[CRC FAIL]\r\n\r\n");
  // A short frame is a CRC failure too, and nothing beyond it is read.
  for (std::size_t size : {0u, 1u, 65u}) {
    std::vector<uint8_t> frame(BuildSquitter(ShannonSquitter()));
    frame.resize(size);
    frame.shrink_to_fit();
    EXPECT_EQ(rig.Receive(frame), "[CRC FAIL]\r\n\r\n") << size;
    EXPECT_FALSE(rig.lastOk);
  }
  rig.settings.Set(&SettingsRecord::verbose, 1);
  EXPECT_EQ(rig.Receive(Corrupted(BuildSquitter(other))), "[CRC FAIL]\r\n\r\n");
  rig.settings.Set(&SettingsRecord::showSpdu, 0);
  rig.settings.Set(&SettingsRecord::showPreamble, 1);
  EXPECT_EQ(rig.Receive(Corrupted(BuildSquitter(other))), kPreambleFail);
  rig.settings.Set(&SettingsRecord::showPreamble, 0);
  EXPECT_EQ(rig.Receive(Corrupted(BuildSquitter(other))), "");  // no text, no flush
  EXPECT_EQ(rig.ui.decodedText.size(), 0u);
}

TEST(Squitter, StationOrOffsetChangeClearsTheAircraft) {
  ProtocolRig rig;
  rig.Receive(BuildSquitter(ShannonSquitter()));
  rig.flights.FlightDbUpdateFromPosition(7, 0x3A, 0, "BAW123", 0, 0, 0);
  ASSERT_EQ(rig.ui.flightList.size(), 1u);

  // Same station, same offset: no line (nothing shown at all) and the aircraft stay.
  EXPECT_EQ(rig.Receive(BuildSquitter(ShannonSquitter())), "");
  EXPECT_EQ(rig.flights.FlightDbFindByFlightId("BAW123"), 0);

  SquitterFields moved = ShannonSquitter();
  moved.slotOffset = 3;
  EXPECT_EQ(rig.Receive(BuildSquitter(moved)), std::string(kChange) + "\r\n");
  EXPECT_EQ(rig.flights.FlightDbFindByFlightId("BAW123"), -1);
  EXPECT_TRUE(rig.ui.flightList.empty());

  SquitterFields otherStation = moved;
  otherStation.stations[0].id = 200 & 0x7F;  // 72: no name in the built-in table
  EXPECT_EQ(rig.Receive(BuildSquitter(otherStation)), "[HF GROUND STATION CHANGE -> ]\r\n\r\n");
}

TEST(Squitter, SystemTableVersionDecidesFrequencyUnits) {
  ProtocolRig rig;
  rig.Show({&SettingsRecord::showSpdu});
  ASSERT_TRUE(StoreStation7(rig, 5, {{8927000, 1}, {0, 0}, {11384000, 2}}));

  const std::string text = rig.Receive(BuildSquitter(ShannonSquitter()));
  EXPECT_TRUE(rig.systemTable.SystemTableValid());
  EXPECT_NE(text.find("SHANNON - IRELAND UTC LOCKED Active freqs (Hz)     8927 KHz    11384 KHz \r\n"),
            std::string::npos)
      << text;

  SquitterFields newer = ShannonSquitter();
  newer.systemTableVersion = 6;
  const std::string stale = rig.Receive(BuildSquitter(newer));
  EXPECT_FALSE(rig.systemTable.SystemTableValid());
  EXPECT_NE(stale.find("Active freqs (Hz)        1       3\r\n"), std::string::npos) << stale;
}

TEST(Squitter, HexAloneGivesTheDumpAndABlankLine) {
  ProtocolRig rig;
  rig.Show({&SettingsRecord::showHex});
  auto frame = Corrupted(BuildSquitter(ShannonSquitter()));
  frame.resize(67);  // a 300 bps burst
  const std::string text = rig.Receive(frame);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6 + 1);  // ceil(67 / 15) + 1 lines
  EXPECT_EQ(text.substr(0, 6), "04 87 ");
  EXPECT_EQ(text.substr(text.size() - 23), std::string(15, ' ') + "    \r\n" + "\r\n");

  rig.Show({&SettingsRecord::showPreamble});
  EXPECT_EQ(text.substr(0, text.size() - 2), rig.Receive(frame).substr(kPreambleFail.size()));
}

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

  StoreStation7(rig, 2, {{8927000, 0}, {900, 0}});
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
