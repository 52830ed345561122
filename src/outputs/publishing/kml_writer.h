#pragma once
// The KML output: aircraft.kml and groundstation.kml, rewritten whole, and
// handed to a globe viewer after each write. Off until enabled; runs on the
// timer thread (the window's timers, or the console's).

#include <atomic>
#include <ctime>
#include <filesystem>
#include <functional>
#include <mutex>
#include <span>

#include "outputs/output_sinks.h"
#include "outputs/publishing/ground_station_places.h"

namespace talvir {

inline constexpr const char* kAircraftKmlName = "aircraft.kml";
inline constexpr const char* kGroundStationKmlName = "groundstation.kml";

// Opens a KML file in a globe viewer. The console has none; the window has
// KmlViewerLauncher.
class KmlViewer {
 public:
  virtual ~KmlViewer() = default;
  virtual void OpenKml(const std::filesystem::path& file) = 0;
};

class KmlWriter {
 public:
  // today: the UTC date the aircraft's times are stamped with. viewer may be
  // null.
  KmlWriter(GroundStations& stations, const SystemTableStore& store, std::function<std::time_t()> today,
            KmlViewer* viewer);

  // Switched on: the files go into `folder`; the ground stations are written
  // at once.
  void KmlEnable(const std::filesystem::path& folder);
  // Files already written stay.
  void KmlDisable();
  bool Enabled() const { return enabled_.load(); }

  // From the aircraft publish: the whole table. An empty table leaves the
  // last file as it is.
  void KmlWriteAircraft(std::span<const AircraftRecord> table);
  // Every second: the ground stations, when their announced frequencies,
  // the stored system table or its validity changed.
  void KmlRefreshGroundStations();

 private:
  // Whether the announced frequencies or the stored table changed since the
  // last write; takes the stations' changed flag.
  bool GroundStationsChangedLocked();
  void WriteGroundStationsLocked();
  // Writes and hands over; false when the file cannot be written.
  bool WriteFileLocked(const std::filesystem::path& file, const std::string& text);

  GroundStations& stations_;  // its changed flag is taken here
  const SystemTableStore& store_;
  const std::function<std::time_t()> today_;
  KmlViewer* const viewer_;
  std::atomic<bool> enabled_{false};
  std::mutex lock_;  // the folder, and one writer at a time
  std::filesystem::path folder_;
  // The system table as last written: its version and whether it was valid.
  int32_t writtenVersion_ = 0;
  bool writtenValid_ = false;
};

}  // namespace talvir
