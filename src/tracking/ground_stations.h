#pragma once
// HFDL ground stations by id: display names (built in, or one line per id
// from configs/talvir.txt) and the frequencies each station last announced
// active in its squitter. The worker writes the masks, the KML writer reads
// them; one lock guards both.

#include <array>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

#include "config/data_paths.h"
#include "tracking/system_table_store.h"

namespace talvir {


inline constexpr int kGroundStationIds = 127;        // ids 0..126 have names
inline constexpr int kGroundStationNameLength = 39;  // characters from the file
inline constexpr const char* kUnknownStationName = "UNKNOWN";

class GroundStations {
 public:
  GroundStations();  // the built-in names
  GroundStations(const GroundStations&) = delete;
  GroundStations& operator=(const GroundStations&) = delete;

  // A file that opens replaces all 127 names: missing lines give "UNKNOWN".
  // Lines longer than 39 characters keep their first 39. Returns whether the
  // file was read.
  bool LoadNames(const std::filesystem::path& file);

  // "UNKNOWN" for ids outside 0..126; may be empty.
  std::string GroundStationName(int id) const;

  // The active-frequency mask a station announced (bit k = frequency k+1).
  // Ids outside 1..126 are ignored; a changed mask raises the changed flag.
  void GroundStationSetActive(int id, uint32_t mask);
  uint32_t GroundStationActiveMask(int id) const;
  bool GroundStationActive(int id, int frequencySlot) const;
  // Returns whether any mask changed since the last call, and clears that.
  bool GroundStationsTakeChanged();

 private:
  struct Entry {
    std::string name;
    uint32_t activeMask = 0;
  };
  mutable std::mutex lock_;
  std::array<Entry, kGroundStationIds> entries_;
  bool groundStationsChanged_ = false;
};

// Start-up: the names file, then the stored system table.
void GroundStationsLoad(GroundStations& stations, SystemTableStore& store,
                        const DataPaths& paths);
// Shutdown: the stored system table. Returns false when the file could not
// be written.
bool GroundStationsSave(const SystemTableStore& store, const DataPaths& paths);

}  // namespace talvir
