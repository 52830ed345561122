#pragma once
// Ground stations for the KML and map tests: names from a names file (one
// with XML's special characters), two stations in a stored system table.

#include <fstream>
#include <memory>

#include "support/temp_dir.h"
#include "tracking/ground_stations.h"
#include "tracking/system_table_store.h"

namespace talvir::testing {

// 45 degrees as a coordinate code, and its negative.
inline constexpr int32_t kFortyFive = 131072;
inline constexpr int32_t kMinusFortyFive = 0x80000 | (~kFortyFive & 0x7FFFF);

struct StationFixture {
  StationFixture() {
    const auto names = dir.path() / "names.txt";
    std::ofstream(names) << "UNKNOWN\nSAN FRANCISCO\nMOLOKAI\nR&D <LAB> \"7\"\n";
    stations.LoadNames(names);
    auto table = std::make_unique<SystemTable>();
    table->version = 1;
    table->stationCount = 2;
    table->stations[0] = {3, 0, kMinusFortyFive, kFortyFive, 3, 0, {{8977000, 0}, {6000000, 1}, {1000, 2}}};
    table->stations[1] = {2, 0, kFortyFive, kMinusFortyFive, 1, 0, {{21937000, 0}}};
    store.StoreSystemTable(*table);
    store.SetSystemTableValid(true);
    stations.GroundStationSetActive(3, 0b101);  // slots 0 and 2
    stations.GroundStationsTakeChanged();
  }

  TempDir dir;
  GroundStations stations;
  SystemTableStore store;
};

}  // namespace talvir::testing
