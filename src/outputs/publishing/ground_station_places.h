#pragma once
// The ground stations as the map and the KML file draw them: every station of
// the stored system table, in store order, with its name and the frequencies
// it last announced active. Built from locked copies of both stores.

#include <cstdint>
#include <string>
#include <vector>

#include "tracking/ground_stations.h"
#include "tracking/system_table_store.h"

namespace talvir {

struct GroundStationPlace {
  int id = 0;
  int32_t longitude = 0;  // 20-bit coordinate codes
  int32_t latitude = 0;
  std::string name;
  // Frequency k + 1 of the table for each active slot k, in slot order: in
  // hertz, or the number itself when no valid table holds the station.
  std::vector<uint32_t> activeFrequencies;
};

std::vector<GroundStationPlace> GroundStationPlaces(const GroundStations& stations,
                                                    const SystemTableStore& store);

}  // namespace talvir
