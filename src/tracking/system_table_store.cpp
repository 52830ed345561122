#include "tracking/system_table_store.h"

#include <algorithm>
#include <fstream>
#include <span>
#include <utility>

#include "common/replace_file.h"

namespace talvir {

int UsableStationCount(const SystemTable& table) {
  return std::clamp(table.stationCount, 0, kSystemTableMaxStations);
}

int UsableFrequencyCount(const SystemTableStation& station) {
  return std::clamp(station.frequencyCount, 0, kSystemTableMaxFrequencies);
}

void SortFrequenciesDescending(SystemTable& table) {
  for (int s = 0; s < UsableStationCount(table); ++s) {
    SystemTableStation& station = table.stations[s];
    const int n = UsableFrequencyCount(station);
    // Neighbour swaps until a pass makes none: equal frequencies keep their order.
    for (bool swapped = true; swapped;) {
      swapped = false;
      for (int i = 0; i + 1 < n; ++i) {
        if (station.frequencies[i].frequencyHz < station.frequencies[i + 1].frequencyHz) {
          std::swap(station.frequencies[i], station.frequencies[i + 1]);
          swapped = true;
        }
      }
    }
  }
}

SystemTableStore::SystemTableStore() = default;

bool SystemTableStore::Load(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    SetSystemTableValid(false);
    return false;
  }
  SystemTable loaded{};
  in.read(reinterpret_cast<char*>(&loaded), sizeof loaded);  // a short file fills the front
  SortFrequenciesDescending(loaded);
  {
    std::lock_guard lock(lock_);
    table_ = loaded;
  }
  SetSystemTableValid(true);
  return true;
}

bool SystemTableStore::Save(const std::filesystem::path& file) const {
  const SystemTable table = Snapshot();
  if (table.version == -1) return true;
  return ReplaceFile(file, std::as_bytes(std::span(&table, 1)));
}

bool SystemTableStore::StoreSystemTable(const SystemTable& table) {
  std::lock_guard lock(lock_);
  if (table.version <= table_.version) return false;
  table_ = table;
  return true;
}

SystemTable SystemTableStore::Snapshot() const {
  std::lock_guard lock(lock_);
  return table_;
}

int32_t SystemTableStore::Version() const {
  std::lock_guard lock(lock_);
  return table_.version;
}

std::optional<uint32_t> SystemTableStore::HeldFrequencyHz(int stationId, int number) const {
  if (!SystemTableValid() || number < 1) return std::nullopt;
  std::lock_guard lock(lock_);
  for (int s = 0; s < UsableStationCount(table_); ++s) {
    const SystemTableStation& station = table_.stations[s];
    if (station.id != stationId) continue;
    if (number > UsableFrequencyCount(station)) return std::nullopt;
    return station.frequencies[number - 1].frequencyHz;
  }
  return std::nullopt;
}

uint32_t SystemTableStore::SystemTableFrequency(int stationId, int number) const {
  return HeldFrequencyHz(stationId, number).value_or(static_cast<uint32_t>(number));
}

}  // namespace talvir
