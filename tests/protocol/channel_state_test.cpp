// Two HFDL channels over one shared state: what one channel's ground station
// does touches only what that channel heard.

#include <gtest/gtest.h>

#include "full_chain_rig.h"
#include "testbench/frames/squitter_builder.h"

namespace talvir::testing {
namespace {

std::vector<uint8_t> Squitter(int station, int slotOffset) {
  testbench::SquitterFields fields;
  fields.stations[0] = {.id = station, .utcSynced = true, .frequencyMask = 1};
  fields.slotOffset = slotOffset;
  fields.frameIndex = 10;
  return testbench::BuildSquitter(fields);
}

struct TwoChannels : FullChain {
  TwoChannels() : FullChain({&SettingsRecord::showSpdu}) {}
  // Channel 0 is the stack's own; channel 1 shares its aircraft, stations
  // and outputs.
  HfdlChannelDecoders second{stack, 1};

  bool Listed(const char* flight) const {
    for (const auto& line : ui.flightList)
      if (line == flight) return true;
    return false;
  }
  int Aircraft() const {
    int count = 0;
    for (const AircraftRecord& r : stack.flights.FlightDbSnapshot()) count += r.inUse;
    return count;
  }
};

TEST(ChannelState, AStationChangeOnOneChannelLeavesTheOthersAircraft) {
  TwoChannels chain;
  const BurstInfo burst{6, 13, 0, "TS(0) "};
  ASSERT_TRUE(chain.stack.decoder.ReceiveFrame(Squitter(3, 7), burst));
  ASSERT_TRUE(chain.second.decoder.ReceiveFrame(Squitter(9, 2), burst));
  chain.stack.flights.FlightDbUpdateFromPosition(3, 0x21, 0xAB0001, "AAA111", 1000, 2000, 30, 0);
  chain.stack.flights.FlightDbUpdateFromPosition(9, 0x21, 0xAB0002, "BBB222", 1000, 2000, 30, 1);
  chain.stack.flights.FlightDbUpdateFromAcars(1, 0, 0, "CCC333", ".N123");  // VHF
  ASSERT_EQ(chain.Aircraft(), 3);

  // Channel 1 hears another station: its aircraft (and VHF's) go, channel
  // 0's stays; channel 0 keeps its own station.
  chain.ui.decodedText.clear();
  ASSERT_TRUE(chain.second.decoder.ReceiveFrame(Squitter(13, 2), burst));
  EXPECT_NE(chain.ui.AllDecodedText().find("[HF GROUND STATION CHANGE -> "), std::string::npos);
  EXPECT_EQ(chain.Aircraft(), 1);
  EXPECT_NE(chain.stack.flights.FlightDbFindByFlightId("AAA111"), -1);
  EXPECT_EQ(chain.stack.decoder.CurrentGroundStationId(), 3);
  EXPECT_EQ(chain.second.decoder.CurrentGroundStationId(), 13);

  // The same station again on channel 0 changes nothing there.
  chain.ui.decodedText.clear();
  ASSERT_TRUE(chain.stack.decoder.ReceiveFrame(Squitter(3, 7), burst));
  EXPECT_EQ(chain.ui.AllDecodedText().find("GROUND STATION CHANGE"), std::string::npos);
  EXPECT_EQ(chain.Aircraft(), 1);

  // Each channel's squitter line names it.
  EXPECT_EQ(chain.ui.squitterLineChannels, (std::vector<int>{0, 1, 1, 0}));
}

}  // namespace
}  // namespace talvir::testing
