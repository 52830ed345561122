#include "tracking/ground_stations.h"

#include <fstream>
#include <utility>

#include "tracking/default_station_names.h"
#include "tracking/system_table_store.h"

namespace talvir {
namespace {

constexpr const char* kBuiltInNames[] = {
    "UNKNOWN",
    "SAN FRANCISCO - CALIFORNIA",
    "MOLOKAI - HAWAII",
    "REYKJAVIK - ICELAND",
    "RIVERHEAD - NEW YORK",
    "AUCKLAND - NEW ZEALAND",
    "HAT YAI - THAILAND",
    "SHANNON - IRELAND",
    "JOHANNESBURG - SOUTH AFRICA",
    "BARROW - ALASKA",
    "UNKNOWN",
    "ANNAPOLIS - MARYLAND",
    "ANCHORAGE - ALASKA",
    "SANTA CRUZ - BOLIVIA",
    "KRASNOYARSK - RUSSIA",
    "AL MUHARRAQ - BAHRAIN",
    "AGANA - GUAM",
    "CANARIAS - SPAIN",
};

// Ids a squitter may announce frequencies for.
bool AnnounceableId(int id) { return id >= 1 && id < kGroundStationIds; }

}  // namespace

GroundStations::GroundStations() {
  int id = 0;
  for (const char* name : kBuiltInNames) entries_[static_cast<std::size_t>(id++)].name = name;
}

bool GroundStations::LoadNames(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::array<std::string, kGroundStationIds> names;
  int id = 0;
  for (std::string line; id < kGroundStationIds && std::getline(in, line); ++id) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Longer lines keep their start; the rest must not become the next id's name.
    if (line.size() > static_cast<std::size_t>(kGroundStationNameLength)) line.resize(kGroundStationNameLength);
    names[static_cast<std::size_t>(id)] = std::move(line);
  }
  for (; id < kGroundStationIds; ++id) names[static_cast<std::size_t>(id)] = kUnknownStationName;
  std::lock_guard lock(lock_);
  for (std::size_t i = 0; i < names.size(); ++i) entries_[i].name = std::move(names[i]);
  return true;
}

std::string GroundStations::GroundStationName(int id) const {
  if (id < 0 || id >= kGroundStationIds) return kUnknownStationName;
  std::lock_guard lock(lock_);
  return entries_[static_cast<std::size_t>(id)].name;
}

void GroundStations::GroundStationSetActive(int id, uint32_t mask) {
  if (!AnnounceableId(id)) return;
  mask &= (1u << kSystemTableMaxFrequencies) - 1;
  std::lock_guard lock(lock_);
  Entry& entry = entries_[static_cast<std::size_t>(id)];
  if (entry.activeMask != mask) groundStationsChanged_ = true;
  entry.activeMask = mask;
}

uint32_t GroundStations::GroundStationActiveMask(int id) const {
  if (id < 0 || id >= kGroundStationIds) return 0;
  std::lock_guard lock(lock_);
  return entries_[static_cast<std::size_t>(id)].activeMask;
}

bool GroundStations::GroundStationActive(int id, int frequencySlot) const {
  if (frequencySlot < 0 || frequencySlot >= kSystemTableMaxFrequencies) return false;
  return (GroundStationActiveMask(id) >> frequencySlot) & 1u;
}

bool GroundStations::GroundStationsTakeChanged() {
  std::lock_guard lock(lock_);
  return std::exchange(groundStationsChanged_, false);
}

void GroundStationsLoad(GroundStations& stations, SystemTableStore& store, const DataPaths& paths) {
  InstallDefaultStationNames(paths);
  stations.LoadNames(paths.StationNamesFile());
  store.Load(paths.SystemTableFile());
}

bool GroundStationsSave(const SystemTableStore& store, const DataPaths& paths) {
  return store.Save(paths.SystemTableFile());
}

}  // namespace talvir
