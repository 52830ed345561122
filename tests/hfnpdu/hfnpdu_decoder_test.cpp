// The HFNPDU decoder and the system-table decoder it hands its tables to.

#include "protocol/hfnpdu_decoder.h"

#include <gtest/gtest.h>

#include "hfnpdu/hfnpdu_test_rig.h"
#include "protocol/system_table_decoder.h"
#include "testbench/frames/acars_block.h"
#include "testbench/frames/hfnpdu_builder.h"
#include "testbench/frames/system_table_builder.h"

namespace talvir {
namespace {

namespace tb = testbench;
using testing::Bytes;

// 90 degrees north, 180 degrees west at 12:00:00: texts the formatters give exactly.
constexpr tb::PositionField kPosition{0x40000, 0x80000, 21600};
const std::string kPositionLine = " LAT 90 0 0  N  LON 180 0 0  W  \r\n";

tb::PerformanceData Report() {
  return {.flightId = "UA1234",
          .position = kPosition,
          .flightLeg = 2,
          .groundStationId = 3,
          .utcSynced = true,
          .previousLegLostCount = 4,
          .currentLegLostCount = 5,
          .previousLegSecondsDisabled = 6,
          .currentLegSecondsDisabled = 300,
          .mpdusReceivedOk = {10, 11, 12, 13},
          .mpdusReceivedInError = {14, 15, 16, 17},
          .squittersReceivedOk = 1000,
          .squittersReceivedInError = 18,
          .mpdusTransmitted = {19, 20, 21, 22},
          .mpdusReceivedFirstTime = {23, 24, 25, 26},
          .frequencyChangeReason = 1,
          .vendorCode = 3};
}

const std::string kPerformanceHead = "[HFNPDU PERFORMANCE]\r\n12:00:00  UTC  Flight ID = UA1234 " + kPositionLine;

// Four counts, 1800 bps first.
std::string Rates(int first) {
  std::string lines;
  for (const char* rate : {"1800 bps", "1200 bps", "600  bps", "300  bps"})
    lines += std::string(rate) + " = " + std::to_string(first++) + "\r\n";
  return lines;
}

std::string VerboseBody(const std::string& frequencyLine, const std::string& reason) {
  return "Performance version 1\r\nFlight Leg 2\r\nGS REYKJAVIK - ICELAND\r\nSYNCHED TO UTC\r\n" + frequencyLine +
         "Previous Leg lost count 4\r\nCurrent Leg lost count 5\r\n"
         "Previous Leg Number of sec disabled 6\r\nCurrent Leg Number of sec disabled 300\r\n"
         "Number of MPDUS received O.K\r\n" +
         Rates(10) + "Number of MPDUS received in Error\r\n" + Rates(14) +
         "Number of Squitters received O.K = 1000\r\nNumber of Squitters received in Error = 18\r\n"
         "Number of MPDUS transmitted\r\n" +
         Rates(19) + "Number of MPDUS received first time\r\n" + Rates(23) +
         "Reason for last frequency change = " + reason + "\r\n\r\n";
}

// A hex dump line of fewer than 15 bytes: their hex, a blank for each byte
// missing, then the letters.
std::string DumpLine(const std::string& hex, const std::string& letters) {
  return hex + std::string(15 - hex.size() / 3, ' ') + "    " + letters + "\r\n";
}

class HfnpduDecoderTest : public ::testing::Test, protected testing::HfnpduTestRig {
 protected:
  HfnpduDecoderTest() { settings.Set(&SettingsRecord::showHfnpdu, 1); }
  std::string DecodeAndFlush(std::span<const uint8_t> hfnpdu) {
    const std::string text = Decode(hfnpdu);
    decodedText.Flush();
    return text;
  }
};

TEST_F(HfnpduDecoderTest, PerformanceDataFeedsTheDatabaseWhateverIsShownButShortDataDoesNot) {
  EXPECT_EQ(DecodeAndFlush(tb::BuildPerformanceDataHfnpdu(Report())), kPerformanceHead);
  const auto record = flights.FlightDbRecord(flights.FlightDbFindByFlightId("UA1234"));
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->latitude, static_cast<int32_t>(kPosition.latitudeCode));
  EXPECT_EQ(record->longitude, static_cast<int32_t>(kPosition.longitudeCode));
  EXPECT_EQ(record->positionTime, 21600);
  EXPECT_EQ(record->logonKey, testing::kRigGroundStation * 256 + testing::kRigAid);

  flights.FlightDbClear();
  settings.Set(&SettingsRecord::showHfnpdu, 0);
  auto hfnpdu = tb::BuildPerformanceDataHfnpdu(Report());
  hfnpdu.pop_back();
  EXPECT_EQ(Decode(hfnpdu), "");
  EXPECT_EQ(flights.FlightDbFindByFlightId("UA1234"), -1);
  EXPECT_EQ(Decode(tb::BuildPerformanceDataHfnpdu(Report())), "");
  EXPECT_GE(flights.FlightDbFindByFlightId("UA1234"), 0);
}

TEST_F(HfnpduDecoderTest, PerformanceDataVerboseWithAndWithoutSystemTable) {
  settings.Set(&SettingsRecord::verbose, 1);
  EXPECT_EQ(DecodeAndFlush(tb::BuildPerformanceDataHfnpdu(Report())),
            kPerformanceHead + VerboseBody("Frequency 1\r\n", "Too many NAKs, vendor code 3"));
  // Station 3 with 8927 kHz as its first frequency, stored and valid.
  SystemTable table{};
  table.version = 7;
  table.stationCount = 1;
  table.stations[0].id = 3;
  table.stations[0].frequencyCount = 2;
  table.stations[0].frequencies[0] = {8927000, 1};
  table.stations[0].frequencies[1] = {5720000, 2};
  ASSERT_TRUE(store.StoreSystemTable(table));
  store.SetSystemTableValid(true);
  auto report = Report();
  report.frequencyChangeReason = 12;
  report.vendorCode = 0;
  EXPECT_EQ(DecodeAndFlush(tb::BuildPerformanceDataHfnpdu(report)),
            kPerformanceHead + VerboseBody("Frequency   8927.0(KHz)\r\n", "Unknown code 12"));

  // Frequencies the table does not hold (a third of station 3, any of
  // station 9) show their numbers, as without a table, not "0.0(KHz)".
  report.frequencyIndex = 2;
  EXPECT_EQ(DecodeAndFlush(tb::BuildPerformanceDataHfnpdu(report)),
            kPerformanceHead + VerboseBody("Frequency 3\r\n", "Unknown code 12"));
  report.frequencyIndex = 0;
  report.groundStationId = 9;
  EXPECT_NE(Decode(tb::BuildPerformanceDataHfnpdu(report)).find("\r\nFrequency 1\r\n"), std::string::npos);
}

// A flight id is one line wherever it goes: the text, the Flight list, the
// detail line and the feed all get its control bytes named.
TEST_F(HfnpduDecoderTest, FlightIdControlBytesAreNamed) {
  auto hfnpdu = tb::BuildPerformanceDataHfnpdu(Report());
  hfnpdu[3] = 0x1B;         // "U<ESC>1234"
  hfnpdu[5] = 0x0A | 0x80;  // bit 7 is not part of the character
  EXPECT_EQ(DecodeAndFlush(hfnpdu),
            "[HFNPDU PERFORMANCE]\r\n12:00:00  UTC  Flight ID = U<ESC>1<LF>34 " + kPositionLine);
  // The database keeps seven characters, and finds the record again by them.
  ASSERT_EQ(ui.flightList, std::vector<std::string>{"U<ESC>1"});
  EXPECT_GE(flights.FlightDbFindByFlightId("U<ESC>1<LF>34"), 0);
  hfnpdu[5] = 0x00;  // a NUL ends the flight id early
  EXPECT_NE(Decode(hfnpdu).find("Flight ID = U<ESC>1 "), std::string::npos);
}

TEST_F(HfnpduDecoderTest, FrequencyDataWithoutPositionOrWithSixEntries) {
  settings.Set(&SettingsRecord::verbose, 1);
  // Shorter than a flight id: ignored.
  EXPECT_EQ(Decode(tb::BuildHfnpdu(0xD5, Bytes("UA123"))), "");
  EXPECT_EQ(flights.FlightDbFindByFlightId("UA123"), -1);
  // Too short for a position: no line end, no position.
  EXPECT_EQ(DecodeAndFlush(tb::BuildHfnpdu(0xD5, Bytes("UA1234\x01\x02\x03\x04\x05\x06"))),
            "[HFNPDU FREQUENCY DATA]\r\n Flight ID = UA1234 ");
  const auto record = flights.FlightDbRecord(flights.FlightDbFindByFlightId("UA1234"));
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->latitude, 0);
  EXPECT_EQ(record->positionTime, 0);

  flights.FlightDbClear();  // the same link would find that record
  tb::FrequencyData data{.flightId = "BA0117", .position = kPosition};
  for (int i = 0; i < 6; ++i) data.entries.push_back({i + 1, i % 2 == 0, 0x5u << i, 0x80000u >> i});
  std::vector<uint8_t> hfnpdu = tb::BuildFrequencyDataHfnpdu(data);
  // A seventh entry is never read.
  hfnpdu.insert(hfnpdu.end(), {0x07, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  std::string expected = "[HFNPDU FREQUENCY DATA]\r\n12:00:00  UTC  Flight ID = BA0117 " + kPositionLine;
  const char* names[] = {"SAN FRANCISCO - CALIFORNIA", "MOLOKAI - HAWAII",       "REYKJAVIK - ICELAND",
                         "RIVERHEAD - NEW YORK",       "AUCKLAND - NEW ZEALAND", "HAT YAI - THAILAND"};
  for (int i = 0; i < 6; ++i) {
    // Without a system table the frequency numbers, 8 characters each.
    char numbers[80];
    std::snprintf(numbers, sizeof numbers, "Propagating frequencies %8d%8d\r\nTuned frequencies %8d\r\n", i + 1, i + 3,
                  20 - i);
    expected += "GS ID " + std::to_string(i + 1) + " " + names[i] + " UTC " + (i % 2 == 0 ? "LOCKED" : "NOT LOCKED") +
                "\r\n" + numbers;
  }
  EXPECT_EQ(Decode(hfnpdu), expected);
  EXPECT_GE(flights.FlightDbFindByFlightId("BA0117"), 0);
}

TEST_F(HfnpduDecoderTest, TestPacketsAddTheTwoLengthBytesAndReadNoFurtherThanTheData) {
  std::vector<uint8_t> hfnpdu = tb::BuildTestPacketHfnpdu(
      {.vendor = 2, .reaction = 128, .frameDelay = 1, .slotDelay = 2, .priority = 3, .data = {'A', 0x00}});
  hfnpdu[2 + 6] = 1;  // reaction length bytes: 1 + 2
  hfnpdu[2 + 7] = 2;
  hfnpdu[2 + 8] = 1;  // data length bytes: 1 + 1
  hfnpdu[2 + 9] = 1;
  EXPECT_EQ(DecodeAndFlush(hfnpdu),
            "Vendor = ARINC\r\nReaction = Echo Downlink\r\nFrame Delay 1\r\nSlot Delay 2\r\n"
            "Priority 3\r\nReaction Length 3\r\nData Length 2\r\n" +
                DumpLine("41 00 ", "A .") + std::string(19, ' ') + "\r\n");

  hfnpdu = tb::BuildTestPacketHfnpdu({.vendor = 9, .reaction = 7, .data = {'Z'}});
  hfnpdu[2 + 8] = 200;  // claims more data than the packet holds
  hfnpdu[2 + 9] = 0;
  const std::string text = DecodeAndFlush(hfnpdu);
  EXPECT_EQ(text.substr(0, 35), "Vendor = Invalid\r\nReaction = 07Fram");
  EXPECT_NE(text.find("Data Length 200\r\n" + DumpLine("5A ", "Z ")), std::string::npos);
  hfnpdu.resize(2 + 9);
  EXPECT_EQ(Decode(hfnpdu), "");
}

TEST_F(HfnpduDecoderTest, RequestsAndUnknownTypes) {
  EXPECT_EQ(DecodeAndFlush(tb::BuildSystemTableRequestHfnpdu(5)), "[HFNPDU SYSTEM TABLE REQUEST]\r\n");
  EXPECT_EQ(DecodeAndFlush(std::vector<uint8_t>{0xFF, 0x42, 'A', 'B'}),
            "[HFNPDU UNKNOWN FORMAT]\r\n" + DumpLine("41 42 ", "A B ") + std::string(19, ' ') + "\r\n");
  EXPECT_EQ(DecodeAndFlush(std::vector<uint8_t>{0x12, 0xD1, 'x'}).substr(0, 25), "[HFNPDU UNKNOWN FORMAT]\r\n");
  EXPECT_EQ(Decode(std::vector<uint8_t>{0xFF, 0xD1}), "");
}

TEST_F(HfnpduDecoderTest, AcarsDownlinkPrintsTheMessageThenTheRendering) {
  settings.Set(&SettingsRecord::showHAcars, 1);
  const auto block = tb::BuildAcarsBlock({.registration = "N123AB",
                                          .label = "H1",
                                          .blockId = 'D',
                                          .messageNumber = "M01A",
                                          .flightId = "UA1234",
                                          .text = "HI"});
  decodedText.Printf("[LPDU]\r\n");
  const std::string pending = Decode(tb::BuildAcarsHfnpdu(block));

  ASSERT_EQ(ui.decodedText.size(), 1u);
  EXPECT_EQ(ui.decodedText[0],
            "[LPDU]\r\nHACARS mode: 2  Aircraft reg: .N123AB\r\n"
            "Message label: H1  Block id: D  Msg. no: M01A Flight id: UA1234\r\n"
            "Message content:-\r\nHI\r\n" +
                testing::WithCrLf(testing::kTestClosingLine));
  // The label comes from the record the message itself just created. The
  // rendering ends with the ETX: check bytes and DEL are not characters.
  EXPECT_EQ(pending,
            "[HFNPDU ACARS FM AIR UA1234 TO GND]\r\n"
            "<SOH>2.N123AB<NAK>H1D<STX>M01AUA1234HI<ETX>\r\n");
  ASSERT_EQ(dde.published.size(), 1u);
  EXPECT_EQ(OstraleLog(), testing::WithCrLf(dde.published[0]));
  const auto record = flights.FlightDbRecord(flights.FlightDbFindByFlightId("UA1234"));
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->RegistrationText(), ".N123AB");
  EXPECT_EQ(record->logonKey, testing::kRigGroundStation * 256 + testing::kRigAid);
}

TEST_F(HfnpduDecoderTest, AcarsUplinkWithEtbInMidText) {
  link.direction = kDirectionGroundToAir;
  const auto block = tb::BuildAcarsBlock(
      {.registration = "N123AB", .label = "H1", .blockId = 'D', .downlink = false, .text = "ONE\x17NOT\x02TWO\r\nX"});
  EXPECT_EQ(Decode(tb::BuildAcarsHfnpdu(block)),
            "[HFNPDU ACARS FM GND TO AIR 21]\r\n"
            "<SOH>2.N123AB<NAK>H1D<STX>ONE<ETB>NOT<STX>TWO\r\nX<ETX>\r\n");
  // Only the text between STX and ETX is shown.
  const std::string shown =
      "HACARS mode: 2  Aircraft reg: .N123AB\nMessage label: H1  Block id: D  [Uplink]\nMessage content:-\n"
      "ONE\nTWO\nX\n" +
      testing::kTestClosingLine;
  EXPECT_EQ(dde.published, std::vector<std::string>{shown});
  EXPECT_EQ(OstraleLog(), testing::WithCrLf(shown));
  EXPECT_TRUE(ui.decodedText.empty());  // "H ACARS" off
  EXPECT_EQ(flights.FlightDbFindByRegistration(".N123AB"), -1);
}

constexpr uint32_t kLatitude90N = 0x40000;
constexpr uint32_t kLongitude180W = 0x80000;

std::vector<tb::SystemTableStation> Stations() {
  return {{3, true, kLatitude90N, kLongitude180W, 2, {{8927000, 1}, {21982000, 5}}},
          {7, false, kLatitude90N, kLongitude180W, 1, {{5720000, 0}}}};
}

std::string PacketLines(int count, int sequence, const char* version) {
  return "[SYSTEM TABLE]\r\nNumber of Packets in Table " + std::to_string(count) + "\r\nSequence number " +
         std::to_string(sequence) + "\r\nVersion " + version + "\r\n\r\n";
}

const std::string kReykjavikLines =
    "UTC LOCKED\r\nLongitude 180 0 0  W  Latitude 90 0 0  N \r\nSquitter Version 2\r\n"
    "Number of frequencies 2\r\n"
    "Frequency 8927000 Hz Master Frame Slot 1\r\nFrequency 21982000 Hz Master Frame Slot 5\r\n";
const std::string kShannonLines =
    "UTC UNLOCKED\r\nLongitude 180 0 0  W  Latitude 90 0 0  N \r\nSquitter Version 1\r\n"
    "Number of frequencies 1\r\nFrequency 5720000 Hz Master Frame Slot 0\r\n";

std::string TableLines(int count, const char* version) {
  return "[SYSTEM TABLE]\r\nNumber of Packets in Table " + std::to_string(count) + "\r\nVersion " + version +
         "\r\n\r\nGround Station ID 3 REYKJAVIK - ICELAND " + kReykjavikLines +
         "\r\nGround Station ID 7 SHANNON - IRELAND " + kShannonLines + "\r\n";
}

class SystemTableDecoderTest : public ::testing::Test, protected testing::HfnpduTestRig {
 protected:
  std::vector<std::vector<uint8_t>> Packets(int version, int count) {
    const auto stations = Stations();
    return tb::BuildSystemTableHfnpdus(version, tb::EncodeSystemTableData(stations), count);
  }
};

// The tables' texts pin the digits; bits 6 and 7 of the megahertz byte are
// not part of the frequency.
TEST(DecodeBcdFrequency, IgnoresTheTopBitsOfTheMegahertzByte) {
  EXPECT_EQ(DecodeBcdFrequency(0x70, 0x92, 0xC8), 8927000u);
}

TEST_F(SystemTableDecoderTest, OnePacketTableFlushesTwiceAndIsStoredAndShown) {
  settings.Set(&SettingsRecord::showHfnpdu, 0);  // printed whatever the options
  // Packets too short for their header are ignored.
  Decode(std::vector<uint8_t>{0xFF, 0xD0, 0x00});
  Decode(std::vector<uint8_t>{0xFF, 0xD0, 0x00, 0x10});
  EXPECT_EQ(RenderSystemTableWindow(store, stations), "Version 0\r\n\r\n");
  decodedText.Printf("[MPDU]\r\n");
  const auto packets = Packets(0x2A, 1);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(Decode(packets[0]), "");

  ASSERT_EQ(ui.decodedText.size(), 2u);
  EXPECT_EQ(ui.decodedText[0], "[MPDU]\r\n" + PacketLines(1, 0, "02A"));
  EXPECT_EQ(ui.decodedText[1], TableLines(1, "02A"));

  // The window renders every stored field but the packet count.
  EXPECT_EQ(store.Snapshot().packetCount, 1);
  EXPECT_EQ(RenderSystemTableWindow(store, stations),
            "Version 42\r\n\r\nGround Station ID 3\r\nREYKJAVIK - ICELAND\r\n" + kReykjavikLines +
                "\r\nGround Station ID 7\r\nSHANNON - IRELAND\r\n" + kShannonLines + "\r\n");
}

TEST_F(SystemTableDecoderTest, PacketsArrivingOutOfOrderCompleteTheTable) {
  const auto packets = Packets(0x123, 2);
  Decode(packets[1]);
  ASSERT_EQ(ui.decodedText.size(), 1u);
  EXPECT_EQ(ui.decodedText[0], PacketLines(2, 1, "123"));
  EXPECT_EQ(store.Version(), 0);

  Decode(packets[0]);
  ASSERT_EQ(ui.decodedText.size(), 3u);
  EXPECT_EQ(ui.decodedText[1], PacketLines(2, 0, "123"));
  EXPECT_EQ(ui.decodedText[2], TableLines(2, "123"));
  EXPECT_EQ(store.Version(), 0x123);
  EXPECT_EQ(store.Snapshot().sequenceNumber, 0);

  // The collection starts afresh: one packet alone completes nothing.
  Decode(packets[1]);
  EXPECT_EQ(ui.decodedText.size(), 4u);
}

TEST_F(SystemTableDecoderTest, TableNotNewerThanTheStoreIsPrintedOnly) {
  Decode(Packets(5, 1)[0]);
  ASSERT_EQ(store.Version(), 5);
  auto stations = Stations();
  stations.pop_back();
  const auto data = tb::EncodeSystemTableData(stations);
  Decode(tb::BuildSystemTableHfnpdus(5, data, 1)[0]);
  EXPECT_EQ(ui.decodedText.size(), 4u);
  EXPECT_EQ(store.Snapshot().stationCount, 2);
  Decode(tb::BuildSystemTableHfnpdus(4, data, 1)[0]);
  EXPECT_EQ(store.Snapshot().stationCount, 2);

  // Version 0 is never newer than an empty store.
  testing::HfnpduTestRig fresh;
  fresh.Decode(Packets(0, 1)[0]);
  EXPECT_EQ(fresh.ui.decodedText.size(), 2u);
  EXPECT_EQ(fresh.store.Snapshot().stationCount, 0);
}

TEST_F(SystemTableDecoderTest, PacketsOfDifferentTablesAreNeverJoined) {
  const auto oldPackets = Packets(5, 2);
  const auto newPackets = Packets(6, 2);
  Decode(oldPackets[0]);
  Decode(newPackets[1]);  // another version: the old packet goes
  EXPECT_EQ(store.Version(), 0);
  Decode(newPackets[0]);
  EXPECT_EQ(store.Version(), 6);
  EXPECT_EQ(ui.decodedText.back(), TableLines(2, "006"));

  // The same version announced with another packet count is another table.
  const auto threePackets = Packets(7, 3);
  Decode(Packets(7, 2)[0]);
  Decode(threePackets[1]);
  Decode(threePackets[2]);
  EXPECT_EQ(store.Version(), 6);
  Decode(threePackets[0]);
  EXPECT_EQ(store.Version(), 7);
}

TEST(DecodeSystemTableData, ReadsOnlyWholeHeadersAndRecordsAndTwentyFrequencies) {
  auto stations = Stations();
  stations[1].frequencies = {{5720000, 0}, {6000000, 1}, {7000000, 2}};
  std::vector<uint8_t> data = tb::EncodeSystemTableData(stations);
  // Cut inside the third frequency record of the second station, then a
  // dangling partial header after a whole table.
  data.resize(data.size() - 2);
  SystemTable table = DecodeSystemTableData(data, 1, 0, 9);
  ASSERT_EQ(table.stationCount, 2);
  EXPECT_EQ(table.stations[1].frequencyCount, 3);
  EXPECT_EQ(table.stations[1].frequencies[1].frequencyHz, 6000000u);
  EXPECT_EQ(table.stations[1].frequencies[2].frequencyHz, 0u);

  data = tb::EncodeSystemTableData(Stations());
  data.insert(data.end(), {0x05, 0x01, 0x02, 0x03, 0x04, 0x05});
  EXPECT_EQ(DecodeSystemTableData(data, 1, 0, 9).stationCount, 2);

  // At most twenty frequencies per station are kept.
  std::vector<tb::SystemTableStation> many = {{.id = 1}, {.id = 2}};
  for (int i = 0; i < 25; ++i) many[0].frequencies.push_back({2000000u + 100000u * i, i % 16});
  table = DecodeSystemTableData(tb::EncodeSystemTableData(many), 1, 0, 1);
  ASSERT_EQ(table.stationCount, 2);
  EXPECT_EQ(table.stations[0].frequencyCount, 25);
  EXPECT_EQ(table.stations[0].frequencies[19].frequencyHz, 3900000u);
  // The five records beyond twenty are passed over, not taken for a header.
  EXPECT_EQ(table.stations[1].id, 2);
}

TEST_F(SystemTableDecoderTest, LargeTablesAreFlushedInPiecesNotCut) {
  std::vector<tb::SystemTableStation> stations;
  for (int id = 1; id <= 60; ++id) {
    tb::SystemTableStation s;
    s.id = id;
    for (int i = 0; i < 12; ++i) s.frequencies.push_back({10000000u + 100000u * i, i});
    stations.push_back(s);
  }
  const auto data = tb::EncodeSystemTableData(stations);
  for (const auto& packet : tb::BuildSystemTableHfnpdus(1, data, 16)) Decode(packet);
  std::string all;
  for (std::size_t i = 16; i < ui.decodedText.size(); ++i) all += ui.decodedText[i];
  EXPECT_GT(ui.decodedText.size(), 17u);
  EXPECT_NE(all.find("Ground Station ID 60 "), std::string::npos);
  EXPECT_EQ(all.substr(all.size() - 46), "Frequency 11100000 Hz Master Frame Slot 11\r\n\r\n");
}

}  // namespace
}  // namespace talvir
