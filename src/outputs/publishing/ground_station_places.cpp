#include "outputs/publishing/ground_station_places.h"

namespace talvir {

std::vector<GroundStationPlace> GroundStationPlaces(const GroundStations& stations,
                                                    const SystemTableStore& store) {
  const SystemTable table = store.Snapshot();
  std::vector<GroundStationPlace> places;
  for (int s = 0; s < UsableStationCount(table); ++s) {
    const SystemTableStation& station = table.stations[s];
    GroundStationPlace place{station.id, station.longitude, station.latitude,
                             stations.GroundStationName(station.id), {}};
    const uint32_t mask = stations.GroundStationActiveMask(station.id);
    for (int k = 0; k < kSystemTableMaxFrequencies; ++k) {
      if (mask & (1U << k)) place.activeFrequencies.push_back(store.SystemTableFrequency(station.id, k + 1));
    }
    places.push_back(std::move(place));
  }
  return places;
}

}  // namespace talvir
