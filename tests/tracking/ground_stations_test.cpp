#include "tracking/ground_stations.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <utility>

#include "support/read_file.h"
#include "support/temp_dir.h"
#include "tracking/default_station_names.h"
#include "tracking/system_table_store.h"

namespace talvir::testing {
namespace {

void WriteFile(const std::filesystem::path& file, const std::string& content) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

// Loads the table from a file written as the program stores it, byte for byte.
bool LoadFromFile(SystemTableStore& store, const SystemTable& table, std::size_t bytes = sizeof(SystemTable)) {
  TempDir dir;
  WriteFile(dir.path() / "talvir.dat", std::string(reinterpret_cast<const char*>(&table), bytes));
  return store.Load(dir.path() / "talvir.dat");
}

// Built in; replaced as a whole by a names file, whose long lines are cut
// without shifting later ids; kept when there is no file.
TEST(GroundStations, BuiltInNamesAndNamesFile) {
  GroundStations stations;
  const std::pair<int, const char*> builtIn[] = {
      {0, "UNKNOWN"}, {7, "SHANNON - IRELAND"}, {17, "CANARIAS - SPAIN"}, {18, ""},
      {126, ""},      {127, "UNKNOWN"},         {1000, "UNKNOWN"},        {-1, "UNKNOWN"}};
  for (const auto& [id, name] : builtIn) EXPECT_EQ(stations.GroundStationName(id), name) << id;

  TempDir dir;
  EXPECT_FALSE(stations.LoadNames(dir.path() / "nothing.txt"));
  EXPECT_EQ(stations.GroundStationName(7), "SHANNON - IRELAND");
  WriteFile(dir.path() / "names.txt", "ZERO\r\n ONE \n" + std::string(39, 'a') + "TAIL\nTHREE");
  EXPECT_TRUE(stations.LoadNames(dir.path() / "names.txt"));
  EXPECT_EQ(stations.GroundStationName(0), "ZERO");
  EXPECT_EQ(stations.GroundStationName(1), " ONE ");
  EXPECT_EQ(stations.GroundStationName(2), std::string(39, 'a'));
  EXPECT_EQ(stations.GroundStationName(3), "THREE");  // no line end: every character kept
  for (int id : {4, 17, 126}) EXPECT_EQ(stations.GroundStationName(id), "UNKNOWN") << id;
}

// The names file of today's network reaches a configs/ folder without one,
// never one the user has not made, and never replaces the user's own.
TEST(GroundStations, TheShippedNamesFileGoesIntoAConfigsFolderThatHasNone) {
  EXPECT_EQ(DefaultStationNames(), ReadFile(std::filesystem::path(TALVIR_SOURCE_DIR) / "data/configs/talvir.txt"));
  TempDir dir;
  const DataPaths paths{dir.path()};
  GroundStations stations;
  SystemTableStore store;
  GroundStationsLoad(stations, store, paths);
  EXPECT_FALSE(std::filesystem::exists(paths.ConfigDir()));
  EXPECT_EQ(stations.GroundStationName(7), "SHANNON - IRELAND");

  std::filesystem::create_directories(paths.ConfigDir());
  GroundStationsLoad(stations, store, paths);
  EXPECT_EQ(ReadFile(paths.StationNamesFile()), DefaultStationNames());
  const std::pair<int, const char*> today[] = {{3, "Reykjavik, Iceland"},    {7, "Shannon, Ireland"}, {10, "UNKNOWN"},
                                               {15, "Al Muharraq, Bahrain"}, {17, "Canarias, Spain"}, {18, "UNKNOWN"}};
  for (const auto& [id, name] : today) EXPECT_EQ(stations.GroundStationName(id), name) << id;
  std::istringstream lines{std::string(DefaultStationNames())};
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), static_cast<std::size_t>(kGroundStationNameLength)) << line;
  }

  WriteFile(paths.StationNamesFile(), "MINE\n");
  GroundStationsLoad(stations, store, paths);
  EXPECT_EQ(ReadFile(paths.StationNamesFile()), "MINE\n");
  EXPECT_EQ(stations.GroundStationName(0), "MINE");
}

TEST(GroundStations, ActiveMasksRaiseTheChangedFlag) {
  GroundStations stations;
  EXPECT_FALSE(stations.GroundStationsTakeChanged());
  stations.GroundStationSetActive(7, 0x5);
  EXPECT_TRUE(stations.GroundStationsTakeChanged());
  EXPECT_FALSE(stations.GroundStationsTakeChanged());
  stations.GroundStationSetActive(7, 0x5);
  EXPECT_FALSE(stations.GroundStationsTakeChanged());
  EXPECT_TRUE(stations.GroundStationActive(7, 0));
  EXPECT_FALSE(stations.GroundStationActive(7, 1));
  EXPECT_TRUE(stations.GroundStationActive(7, 2));
  for (int ignored : {0, 127, -3, 500}) stations.GroundStationSetActive(ignored, 0xFF);
  EXPECT_FALSE(stations.GroundStationsTakeChanged());
  EXPECT_EQ(stations.GroundStationActiveMask(0), 0u);
}

// Not written without a configs folder, nor with version -1; a zero table
// goes round.
TEST(SystemTableFile, ZeroTableRoundTripAndWhenNotWritten) {
  TempDir dir;
  const DataPaths paths{dir.path()};
  GroundStations stations;
  SystemTableStore store;
  EXPECT_FALSE(GroundStationsSave(store, paths));
  EXPECT_FALSE(std::filesystem::exists(paths.SystemTableFile()));
  std::filesystem::create_directories(paths.ConfigDir());
  GroundStationsLoad(stations, store, paths);  // no files
  EXPECT_FALSE(store.SystemTableValid());
  EXPECT_TRUE(GroundStationsSave(store, paths));
  EXPECT_EQ(ReadFile(paths.SystemTableFile()), std::string(kSystemTableFileSize, '\0'));

  SystemTableStore again;
  GroundStationsLoad(stations, again, paths);
  EXPECT_TRUE(again.SystemTableValid());
  EXPECT_EQ(again.Snapshot().stationCount, 0);
  EXPECT_EQ(again.SystemTableFrequency(7, 1), 1u);

  // A version of -1 is never stored through a newer table; load it from a file.
  auto table = std::make_unique<SystemTable>();
  table->version = -1;
  std::filesystem::remove(paths.SystemTableFile());
  SystemTableStore unsaved;
  LoadFromFile(unsaved, *table);
  EXPECT_TRUE(GroundStationsSave(unsaved, paths));
  EXPECT_FALSE(std::filesystem::exists(paths.SystemTableFile()));
}

TEST(SystemTableFile, FrequenciesLoadSortedDescendingWithTheirSlots) {
  auto table = std::make_unique<SystemTable>();
  table->version = 12;
  table->stationCount = 2;
  table->stations[0].id = 7;
  table->stations[0].frequencyCount = 3;
  table->stations[0].frequencies[0] = {5000, 1};
  table->stations[0].frequencies[1] = {8000, 2};
  table->stations[0].frequencies[2] = {2000, 3};
  table->stations[0].frequencies[3] = {9000, 4};  // beyond the count: stays put
  table->stations[1].id = 3;
  table->stations[1].frequencyCount = 2;
  table->stations[1].frequencies[0] = {0x80000000u, 5};  // compared unsigned
  table->stations[1].frequencies[1] = {0x90000000u, 6};
  SystemTableStore store;
  ASSERT_TRUE(LoadFromFile(store, *table));
  const SystemTable loaded = store.Snapshot();
  const auto& f = loaded.stations[0].frequencies;
  const std::pair<uint32_t, int> expected[] = {{8000, 2}, {5000, 1}, {2000, 3}, {9000, 4}};
  for (std::size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(std::make_pair(f[i].frequencyHz, f[i].masterFrameSlot), expected[i]) << i;
  EXPECT_EQ(loaded.stations[1].frequencies[0].masterFrameSlot, 6);
  EXPECT_EQ(store.SystemTableFrequency(7, 1), 8000u);
  EXPECT_EQ(store.SystemTableFrequency(3, 2), 0x80000000u);
  EXPECT_EQ(store.SystemTableFrequency(9, 2), 2u);  // station not in the table
  // Beyond the station's count the table holds no frequency, whatever lies there.
  EXPECT_EQ(store.SystemTableFrequency(7, 4), 4u);
  EXPECT_EQ(store.HeldFrequencyHz(3, 3), std::nullopt);
  EXPECT_EQ(store.HeldFrequencyHz(7, 1), 8000u);
  store.SetSystemTableValid(false);
  EXPECT_EQ(store.SystemTableFrequency(7, 1), 1u);
}

TEST(SystemTableFile, DamagedFileCountsAreClampedForEveryUse) {
  auto table = std::make_unique<SystemTable>();
  table->version = 3;
  table->stationCount = 100000;
  for (int s = 0; s < kSystemTableMaxStations; ++s) {
    table->stations[s].id = s;
    table->stations[s].frequencyCount = s % 2 ? 31 : -5;
    for (int i = 0; i < kSystemTableMaxFrequencies; ++i)
      table->stations[s].frequencies[i] = {static_cast<uint32_t>(1000 + i), i};
  }
  SystemTableStore store;
  ASSERT_TRUE(LoadFromFile(store, *table));
  const SystemTable loaded = store.Snapshot();
  EXPECT_EQ(UsableStationCount(loaded), 128);
  EXPECT_EQ(UsableFrequencyCount(loaded.stations[1]), 20);
  EXPECT_EQ(UsableFrequencyCount(loaded.stations[2]), 0);
  EXPECT_EQ(loaded.stations[1].frequencies[0].frequencyHz, 1019u);  // sorted over all 20
  EXPECT_EQ(loaded.stations[2].frequencies[0].frequencyHz, 1000u);  // left alone
  EXPECT_EQ(store.SystemTableFrequency(127, 20), 1000u);
  EXPECT_EQ(store.SystemTableFrequency(127, 21), 21u);
  EXPECT_EQ(store.SystemTableFrequency(2, 1), 1u);  // a count below zero holds nothing

  // A short file fills only the front of the store.
  ASSERT_TRUE(LoadFromFile(store, *table, 100));
  EXPECT_EQ(store.Snapshot().version, 3);
  EXPECT_EQ(store.Snapshot().stations[1].id, 0);
}

}  // namespace
}  // namespace talvir::testing
