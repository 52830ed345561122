#include "outputs/publishing/kml_writer.h"

#include <algorithm>

#include "common/replace_file.h"
#include "outputs/publishing/kml_text.h"

namespace talvir {

KmlWriter::KmlWriter(GroundStations& stations, const SystemTableStore& store, std::function<std::time_t()> today,
                     KmlViewer* viewer)
    : stations_(stations), store_(store), today_(std::move(today)), viewer_(viewer) {}

void KmlWriter::KmlEnable(const std::filesystem::path& folder) {
  std::lock_guard lock(lock_);
  folder_ = folder;
  enabled_ = true;
  WriteGroundStationsLocked();
}

void KmlWriter::KmlDisable() { enabled_ = false; }

void KmlWriter::KmlWriteAircraft(std::span<const AircraftRecord> table) {
  if (!enabled_) return;
  if (std::none_of(table.begin(), table.end(), [](const AircraftRecord& r) { return r.inUse == 1; })) return;
  std::lock_guard lock(lock_);
  if (!WriteFileLocked(folder_ / kAircraftKmlName, AircraftKml(table, today_()))) return;
  if (enabled_ && GroundStationsChangedLocked()) WriteGroundStationsLocked();
}

void KmlWriter::KmlRefreshGroundStations() {
  if (!enabled_) return;
  std::lock_guard lock(lock_);
  if (GroundStationsChangedLocked()) WriteGroundStationsLocked();
}

bool KmlWriter::GroundStationsChangedLocked() {
  // A newer system table, or the squitters confirming it (which turns the
  // slot numbers into frequencies), changes the file as much as a new mask
  // does: without this a table heard after the last mask change never
  // reached the file.
  const bool masks = stations_.GroundStationsTakeChanged();
  return masks || store_.Version() != writtenVersion_ || store_.SystemTableValid() != writtenValid_;
}

void KmlWriter::WriteGroundStationsLocked() {
  if (!enabled_) return;
  writtenVersion_ = store_.Version();
  writtenValid_ = store_.SystemTableValid();
  WriteFileLocked(folder_ / kGroundStationKmlName, GroundStationKml(GroundStationPlaces(stations_, store_)));
}

bool KmlWriter::WriteFileLocked(const std::filesystem::path& file, const std::string& text) {
  // A globe program may reread the file at any moment: never a half-written one.
  if (!ReplaceFile(file, text)) return false;
  if (viewer_ != nullptr) viewer_->OpenKml(file);
  return true;
}

}  // namespace talvir
