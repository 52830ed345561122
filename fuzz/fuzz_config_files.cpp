// The files the receiver reads at start-up, as damaged or foreign as a disk
// may hand them over: the settings record, the ground-station names and the
// stored system table. First byte: which file; the rest is its contents.
// Each is then read the way the program reads it.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>

#include "config/settings_text.h"
#include "fuzz/fuzz_support.h"
#include "outputs/publishing/ground_station_places.h"
#include "outputs/publishing/kml_text.h"

namespace {

void ReadSettings(const talvir::fuzz::MemoryFile& file) {
  talvir::Settings settings;
  talvir::fuzz::Require(settings.Load(file.Path()));
  talvir::fuzz::Require(!talvir::FormatSettingsRecord(settings.Snapshot()).empty());
  // Texts from the file are cut at their field's width, never read past it.
  for (const std::string& text : {settings.Text(&talvir::SettingsRecord::hfdlDdeService),
                                  settings.Text(&talvir::SettingsRecord::ostraleFileName),
                                  settings.Text(&talvir::SettingsRecord::soundCardName)}) {
    talvir::fuzz::Require(text.size() < 80);
  }
  float view1 = 0, view2 = 0;
  settings.DxAtlasViews(view1, view2);
}

void ReadNames(const talvir::fuzz::MemoryFile& file) {
  talvir::GroundStations stations;
  talvir::fuzz::Require(stations.LoadNames(file.Path()));
  for (int id = -1; id <= talvir::kGroundStationIds; ++id) {
    talvir::fuzz::Require(stations.GroundStationName(id).size() <= talvir::kGroundStationNameLength);
  }
}

void ReadSystemTable(const talvir::fuzz::MemoryFile& file) {
  talvir::fuzz::Fresh<talvir::fuzz::Chain> chain;
  talvir::ProtocolStack& stack = chain->stack;
  talvir::fuzz::Require(stack.systemTable.Load(file.Path()));
  for (int station = -1; station <= talvir::kSystemTableMaxStations; station += 7) {
    for (int number = 0; number <= talvir::kSystemTableMaxFrequencies + 1; ++number) {
      (void)stack.systemTable.SystemTableFrequency(station, number);
    }
  }
  for (int id = 0; id < talvir::kGroundStationIds; ++id) stack.stations.GroundStationSetActive(id, 0xFFFFF);
  const auto places = talvir::GroundStationPlaces(stack.stations, stack.systemTable);
  talvir::fuzz::Require(!talvir::GroundStationKml(places).empty());
  // A table from the file is replaced by any newer one on the air.
  talvir::SystemTable table = stack.systemTable.Snapshot();
  table.version = (stack.systemTable.Version() & 0xFFF) + 1;
  table.stationCount = talvir::UsableStationCount(table);
  (void)stack.systemTable.StoreSystemTable(table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 65536) return 0;
  static talvir::fuzz::MemoryFile file;
  file.Replace({data + 1, size - 1});
  switch (data[0] % 3) {
    case 0: ReadSettings(file); break;
    case 1: ReadNames(file); break;
    default: ReadSystemTable(file); break;
  }
  return 0;
}
