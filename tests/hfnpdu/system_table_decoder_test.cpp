#include "protocol/system_table_decoder.h"

#include <gtest/gtest.h>

#include "hfnpdu/hfnpdu_test_rig.h"
#include "testbench/frames/system_table_builder.h"

namespace talvir {
namespace {

namespace tb = testbench;

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
