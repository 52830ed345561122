#include "testbench/frames/system_table_builder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "testbench/frames/coordinates.h"

namespace talvir::testbench {
namespace {

// Frequency in hertz from a 4-byte record, as the receiver reads it.
uint32_t BcdHz(const uint8_t* f) {
  auto digits = [](uint8_t b) { return 10u * (b >> 4) + (b & 0x0F); };
  return digits(f[0]) * 100 + digits(f[1]) * 10'000 + (10u * ((f[2] >> 4) & 3) + (f[2] & 0x0F)) * 1'000'000;
}

TEST(SystemTableBuilder, StationHeaderAndBcdFrequencies) {
  const SystemTableStation station{.id = 0x7D,
                                   .utcSynced = true,
                                   .latitudeCode = LatitudeCode(52.7),
                                   .longitudeCode = LongitudeCode(-8.9),
                                   .squitterVersion = 5,
                                   .frequencies = {{8'927'000, 1}, {29'999'900, 15}, {2'998'000, 0}}};
  const auto d = EncodeSystemTableData(std::span(&station, 1));
  ASSERT_EQ(d.size(), 7u + 3 * 4);
  EXPECT_EQ(d[0], 0xFD);
  EXPECT_EQ((d[1] + 256u * d[2] + 65536u * d[3]) & 0xFFFFF, station.latitudeCode);
  EXPECT_EQ(((d[3] + 256u * d[4] + 65536u * d[5]) >> 4) & 0xFFFFF, station.longitudeCode);
  EXPECT_EQ(d[6] >> 3, 3);
  EXPECT_EQ(d[6] & 7, 5);
  EXPECT_EQ((std::vector<uint8_t>(d.begin() + 7, d.begin() + 11)), (std::vector<uint8_t>{0x70, 0x92, 0x08, 1}));
  EXPECT_EQ(BcdHz(&d[11]), 29'999'900u);
  EXPECT_EQ(d[14] & 0x0F, 15);
  EXPECT_EQ(BcdHz(&d[15]), 2'998'000u);
}

TEST(SystemTableBuilder, RefusesFrequenciesBcdCannotCarry) {
  SystemTableStation station{.id = 1, .frequencies = {{8'927'050, 0}}};
  EXPECT_THROW(EncodeSystemTableData(std::span(&station, 1)), std::invalid_argument);
  station.frequencies = {{40'000'000, 0}};
  EXPECT_THROW(EncodeSystemTableData(std::span(&station, 1)), std::invalid_argument);
  station.frequencies = std::vector<SystemTableFrequencyEntry>(32, {5'000'000, 0});
  EXPECT_THROW(EncodeSystemTableData(std::span(&station, 1)), std::invalid_argument);
}

TEST(SystemTableBuilder, PacketsCarryCountSequenceVersionAndRejoin) {
  std::vector<uint8_t> data(301);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  const auto packets = BuildSystemTableHfnpdus(0xABC, data, 2);
  ASSERT_EQ(packets.size(), 2u);
  std::vector<uint8_t> joined;
  for (std::size_t seq = 0; seq < 2; ++seq) {
    const auto& p = packets[seq];
    EXPECT_EQ(p[0], 0xFF);
    EXPECT_EQ(p[1], 0xD0);
    EXPECT_EQ(p[2], 0x10 | seq);  // two packets, this one's sequence number
    EXPECT_EQ((p[3] >> 4) + 16 * p[4], 0xABC);
    EXPECT_LE(p.size() + 3, 256u);  // fits one LPDU with its type byte and FCS
    joined.insert(joined.end(), p.begin() + 5, p.end());
  }
  EXPECT_EQ(packets[0].size(), 5u + 151);
  EXPECT_EQ(joined, data);

  const auto single = BuildSystemTableHfnpdus(1, data, 16);
  EXPECT_EQ(single.back()[2], 0xFF);
}

TEST(SystemTableBuilder, RefusesTablesThatDoNotFitTheirPackets) {
  const std::vector<uint8_t> data(2 * kSystemTablePacketMaxShare + 1);
  EXPECT_THROW(BuildSystemTableHfnpdus(1, data, 2), std::invalid_argument);
  EXPECT_NO_THROW(BuildSystemTableHfnpdus(1, data, 3));
  EXPECT_THROW(BuildSystemTableHfnpdus(1, data, 17), std::invalid_argument);
  EXPECT_THROW(BuildSystemTableHfnpdus(4096, data, 3), std::invalid_argument);
}

}  // namespace
}  // namespace talvir::testbench
