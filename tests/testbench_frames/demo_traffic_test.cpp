#include "testbench/frames/demo_traffic.h"

#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <set>
#include <span>

#include "common/crc16.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/coordinates.h"

namespace talvir::testbench {
namespace {

// What the demo's frames hold, read back by walking them as a receiver would.
struct Contents {
  std::multiset<int> lpduTypes;                      // odd type bytes; 0 for numbered data
  std::multiset<int> hfnpduTypes;                    // second type byte
  std::map<int, std::vector<uint8_t>> tablePackets;  // by sequence number
  std::set<int> tableVersions;
  int tablePacketCount = 0;
  int acarsDownlinks = 0;
  int acarsUplinks = 0;
  std::vector<std::pair<double, double>> positions;  // degrees
};

bool AcarsBlockValid(std::span<const uint8_t> block) {
  std::size_t end = 0;
  while (end < block.size() && (block[end] & 0x7F) != 0x03 && (block[end] & 0x7F) != 0x17) ++end;
  if (end + 4 != block.size() || block[0] != 0x01 || block.back() != 0x7F) return false;
  for (std::size_t i = 0; i <= end; ++i) {
    if (std::popcount(static_cast<unsigned>(block[i])) % 2 != 1) return false;
  }
  const uint16_t bcs = AcarsBcs(block.subspan(1, end));
  return block[end + 1] == (bcs & 0xFF) && block[end + 2] == (bcs >> 8);
}

void ReadHfnpdu(std::span<const uint8_t> h, bool downlink, Contents& c) {
  ASSERT_GE(h.size(), 3u);
  ASSERT_EQ(h[0], 0xFF);
  c.hfnpduTypes.insert(h[1]);
  const auto payload = h.subspan(2);
  if (h[1] == 0xFF) {
    EXPECT_TRUE(AcarsBlockValid(payload));
    (downlink ? c.acarsDownlinks : c.acarsUplinks)++;
  } else if (h[1] == 0xD0) {
    c.tablePacketCount = (payload[0] >> 4) + 1;
    c.tableVersions.insert((payload[1] >> 4) + 16 * payload[2]);
    c.tablePackets[payload[0] & 0x0F].assign(payload.begin() + 3, payload.end());
  } else if (h[1] == 0xD1) {
    ASSERT_EQ(payload.size(), 45u);
    const uint32_t lat = (payload[6] + 256u * payload[7] + 65536u * payload[8]) & 0xFFFFF;
    const uint32_t lon = (payload[8] + 256u * payload[9] + 65536u * payload[10]) >> 4;
    c.positions.emplace_back(CoordinateDegrees(lat), CoordinateDegrees(lon));
  }
}

void ReadLpdu(std::span<const uint8_t> lpdu, bool downlink, Contents& c) {
  ASSERT_TRUE(HfdlCrcCheck(lpdu, static_cast<int>(lpdu.size()) - 2));
  const int type = lpdu[0];
  c.lpduTypes.insert(type & 1 ? type : 0);
  const auto body = lpdu.subspan(1, lpdu.size() - 3);
  if (type == 0x0D || type == 0x1D) ReadHfnpdu(body, downlink, c);
  if ((type == 0x8F || type == 0x4F) && body.size() > 3) ReadHfnpdu(body.subspan(3), downlink, c);
}

// Walks an MPDU's header and LPDUs; returns the offset after the last LPDU.
std::size_t ReadMpdu(std::span<const uint8_t> f, Contents& c) {
  const bool air = f[0] & 2;
  std::vector<int> lengths;
  std::size_t header = 2;
  if (air) {
    const int n = (f[0] >> 2) & 0x0F;
    for (int i = 0; i < n; ++i) lengths.push_back(f[6 + static_cast<std::size_t>(i)] + 1);
    header = 6 + static_cast<std::size_t>(n);
  } else {
    const int blocks = ((f[0] >> 4) & 7) + 1;
    for (int b = 0; b < blocks; ++b) {
      const int m = f[header + 1] >> 4;
      for (int i = 0; i < m; ++i) lengths.push_back(f[header + 2 + static_cast<std::size_t>(i)] + 1);
      header += 2 + static_cast<std::size_t>(m);
    }
  }
  EXPECT_TRUE(HfdlCrcCheck(f, static_cast<int>(header)));
  std::size_t offset = header + 2;
  for (int length : lengths) {
    const auto size = static_cast<std::size_t>(length);
    if (offset + size > f.size()) {
      ADD_FAILURE() << "LPDU runs past the burst";
      return f.size();
    }
    ReadLpdu(f.subspan(offset, size), air, c);
    offset += size;
  }
  return offset;
}

class DemoTrafficTest : public ::testing::Test {
 protected:
  static const DemoTraffic& Demo() {
    static const DemoTraffic demo = BuildDemoTraffic();
    return demo;
  }
  static const DemoBurst& Squitter(int frame) {
    for (const DemoBurst& b : Demo().bursts) {
      if (b.frameNumber == frame && b.slot == 0) return b;
    }
    throw std::runtime_error("no squitter");
  }
};

TEST_F(DemoTrafficTest, BurstsTakeTheirSlotsWithoutOverlap) {
  std::set<std::pair<int, int>> taken;
  std::set<int> rateCodes;
  int previous = -1;
  for (const DemoBurst& b : Demo().bursts) {
    ASSERT_GE(b.frameNumber, 0);
    ASSERT_LT(b.frameNumber, kDemoFrames);
    const int order = b.frameNumber * 13 + b.slot;
    EXPECT_GT(order, previous) << b.description;
    previous = order;
    rateCodes.insert(b.rateCode);
    const int slots = b.rateCode % 2 == 1 ? 2 : 1;  // odd codes: the 4.2 s interleaver
    EXPECT_LE(b.slot + slots, 13) << b.description;
    for (int s = b.slot; s < b.slot + slots; ++s) EXPECT_TRUE(taken.insert({b.frameNumber, s}).second);
    EXPECT_EQ(b.frame.size(), static_cast<std::size_t>(BurstFrameBytes(b.rateCode))) << b.description;
    EXPECT_EQ(b.frame.back(), 0) << b.description;  // the encoder ends in state 0
  }
  EXPECT_EQ(rateCodes.size(), 8u);
  EXPECT_GE(Demo().bursts.size(), 30u);
}

TEST_F(DemoTrafficTest, SquittersOpenEveryFrame) {
  for (int frame = 0; frame < kDemoFrames; ++frame) {
    const auto& f = Squitter(frame).frame;
    EXPECT_EQ(Squitter(frame).rateCode, 6);
    EXPECT_EQ(f[0] & 1, 0);
    EXPECT_TRUE(HfdlCrcCheck(f, 64));
    EXPECT_EQ(f[1] & 0x7F, kDemoGroundStationId);
    EXPECT_EQ(f[2] + 256 * (f[3] & 0x0F), (Squitter(0).frame[2] + 256 * (Squitter(0).frame[3] & 0x0F)) + frame);
  }
  // Frame 0: S03 and S04 go to BA0117's 4.2 s burst, S06 to an uplink, and
  // S01 of frame 1 is left to random access for a log-on.
  const auto& first = Squitter(0).frame;
  EXPECT_EQ(first[40], 0x35);
  EXPECT_EQ(first[41], 0x35);
  EXPECT_EQ(first[43], 0);
  EXPECT_EQ(first[50], 254);
  // Frame 2 acknowledges EI0105's MPDU of S04 in frame 1 (code 17, S04(N-1)),
  // a high half of the ninth group; the log-on in S01(N-1) is not acknowledged.
  const auto& third = Squitter(2).frame;
  auto ackCode = [&third](int i) {
    const std::size_t g = 4 + 3 * static_cast<std::size_t>(i / 2);
    const uint32_t v = third[g] + 256u * third[g + 1] + 65536u * third[g + 2];
    return i % 2 == 0 ? v & 0xFFF : v >> 12;
  };
  EXPECT_EQ(ackCode(17), 0x121u);
  EXPECT_EQ(ackCode(14), 0u);
}

TEST_F(DemoTrafficTest, MpdusCarryTheWholeProtocol) {
  Contents c;
  for (const DemoBurst& b : Demo().bursts) {
    if (b.slot == 0) continue;
    ASSERT_EQ(b.frame[0] & 1, 1) << b.description;
    const std::size_t end = ReadMpdu(b.frame, c);
    EXPECT_LT(end, b.frame.size()) << b.description;
  }
  for (int type : {0, 0x0D, 0x1D, 0x2F, 0x3F, 0x4F, 0x5F, 0x8F, 0x9F}) EXPECT_GT(c.lpduTypes.count(type), 0u) << type;
  for (int type : {0xD0, 0xD1, 0xD2, 0xD5, 0xDE, 0xFF}) EXPECT_GT(c.hfnpduTypes.count(type), 0u) << type;
  EXPECT_GE(c.hfnpduTypes.count(0xD1), 8u);
  EXPECT_GE(c.acarsDownlinks, 5);
  EXPECT_GE(c.acarsUplinks, 5);
  for (const auto& [lat, lon] : c.positions) {
    EXPECT_TRUE(lat > 45 && lat < 60 && lon > -45 && lon < -5) << lat << " " << lon;
  }
  // The system table: two packets of one version, which the squitters announce.
  EXPECT_EQ(c.tablePacketCount, 2);
  ASSERT_EQ(c.tablePackets.size(), 2u);
  ASSERT_EQ(c.tableVersions.size(), 1u);
  const int version = *c.tableVersions.begin();
  EXPECT_GT(version, 0);
  EXPECT_EQ(Squitter(0).frame[53] + 256 * (Squitter(0).frame[54] & 0x0F), version);
  std::vector<uint8_t> table = c.tablePackets[0];
  table.insert(table.end(), c.tablePackets[1].begin(), c.tablePackets[1].end());
  std::size_t offset = 0;
  int stations = 0;
  while (offset + 7 <= table.size()) {
    offset += 7 + 4 * static_cast<std::size_t>(table[offset + 6] >> 3);
    ++stations;
  }
  EXPECT_EQ(offset, table.size());
  EXPECT_GE(stations, 10);
}

TEST_F(DemoTrafficTest, VhfMessagesAreCheckedBlocksInTimeOrder) {
  const auto& messages = Demo().vhfMessages;
  ASSERT_GE(messages.size(), 3u);
  ASSERT_LE(messages.size(), 5u);
  double previous = 0;
  for (const DemoVhfMessage& m : messages) {
    EXPECT_GT(m.startSeconds, previous);
    EXPECT_LT(m.startSeconds, kDemoFrames * 32.0 - 1);
    previous = m.startSeconds;
    EXPECT_TRUE(AcarsBlockValid(m.block)) << m.description;
  }
}

}  // namespace
}  // namespace talvir::testbench
