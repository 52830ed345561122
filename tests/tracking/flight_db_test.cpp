#include "tracking/flight_db.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "config/settings.h"
#include "support/recording_ui_link.h"

namespace talvir::testing {
namespace {

struct RecordingOutputs : AircraftOutputs {
  void DdePublishAircraft(const AircraftRecord& record) override { dde.push_back(record); }
  void PlotAircraft(std::span<const AircraftPlotEntry> aircraft) override {
    plots.emplace_back(aircraft.begin(), aircraft.end());
  }
  void PlotGroundStations() override { ++stationPlots; }
  void WriteAircraftKml(std::span<const AircraftRecord> table) override { kmlTables.push_back(table.size()); }
  std::vector<AircraftRecord> dde;
  std::vector<std::vector<AircraftPlotEntry>> plots;
  int stationPlots = 0;
  std::vector<std::size_t> kmlTables;
};

struct DbRig {
  RecordingUiLink ui;
  Settings settings;
  RecordingOutputs outputs;
  FlightDb db{settings, outputs, ui};

  void Position(int gs, int aid, int icao, const char* flight, int lat = 0, int lon = 0, int time = 0) {
    db.FlightDbUpdateFromPosition(gs, aid, icao, flight, lat, lon, time);
  }
  AircraftRecord Record(int index) { return db.FlightDbRecord(index).value(); }
};

TEST(FlightDb, UnknownAircraftFromPositionIsListedFoundAgainAndTracked) {
  DbRig rig;
  rig.Position(7, 255, 0, "BAW123", 0x1000, 0x2000, 21600);
  const AircraftRecord r = rig.Record(0);
  EXPECT_EQ(r.logonKey, -1);
  EXPECT_EQ(r.aid, 0);
  EXPECT_EQ(r.listIndex, 0);
  EXPECT_EQ(r.changed, 1);
  EXPECT_EQ(rig.ui.flightList, std::vector<std::string>{"BAW123"});
  ASSERT_EQ(rig.outputs.dde.size(), 1u);
  EXPECT_EQ(rig.outputs.dde[0].latitude, 0x1000);

  rig.Position(7, 0x3A, 0, "BAW123", 0x1001, 0x2001, 21601);
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("BAW123"), 0);
  EXPECT_EQ(rig.Record(0).logonKey, 7 * 256 + 0x3A);
  EXPECT_EQ(rig.Record(0).aid, 0x3A);
  EXPECT_EQ(rig.ui.flightList.size(), 1u);  // listed once

  // The track keeps the last ten positions, newest last.
  for (int i = 1; i <= 11; ++i) rig.Position(7, 0x3A, 0, "BAW123", 100 + i, 200 + i, i);
  const AircraftRecord tracked = rig.Record(0);
  for (int k = 0; k < kTrackLength; ++k) {
    EXPECT_EQ(tracked.track[k].latitude, 102 + k);
    EXPECT_EQ(tracked.track[k].longitude, 202 + k);
  }
  EXPECT_EQ(tracked.latitude, 111);
  EXPECT_EQ(tracked.positionTime, 11);
}

TEST(FlightDb, LookupsIgnoreUnknownValuesAndFreeRecords) {
  DbRig rig;
  rig.Position(7, 0x3A, 0xABCDEF, "AAA1");
  rig.db.FlightDbUpdateFromAcars(1, 0, 0, "BBB2", ".G-ABCD");
  EXPECT_EQ(rig.db.FlightDbFindByLogonKey(-1), -1);
  EXPECT_EQ(rig.db.FlightDbFindByLogonKey(0), -1);
  EXPECT_EQ(rig.db.FlightDbFindByLogonKey(7 * 256 + 0x3A), 0);
  EXPECT_EQ(rig.db.FlightDbFindByFlightId(""), -1);
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("BBB2"), 1);
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("bbb2"), -1);
  EXPECT_EQ(rig.db.FlightDbFindByRegistration(".G-ABCD"), 1);
  EXPECT_EQ(rig.db.FlightDbFindByRegistration(""), -1);  // record 0 has an empty registration
  EXPECT_EQ(rig.db.FlightDbFindByAid(0), -1);
  EXPECT_EQ(rig.db.FlightDbFindByAid(255), -1);
  EXPECT_EQ(rig.db.FlightDbFindByAid(0x3A), 0);
  EXPECT_EQ(rig.db.FlightDbFindByIcao(0), -1);
  EXPECT_EQ(rig.db.FlightDbFindByIcao(0xABCDEF), 0);
  EXPECT_EQ(rig.db.FlightDbFlightIdByAid(0x3A), "AAA1");

  rig.db.FlightDbDeleteByListIndex(0);
  EXPECT_EQ(rig.db.FlightDbFindByIcao(0xABCDEF), -1);
  // The freed slot is the first to be allocated again.
  rig.Position(7, 0x3B, 0, "CCC3");
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("CCC3"), 0);
}

TEST(FlightDb, PositionUpdateFindsByIcaoThenFlightIdThenKey) {
  DbRig rig;
  rig.Position(7, 0x3A, 0, "BYKEY");
  rig.Position(7, 0x3B, 0, "BYFLT");
  rig.Position(7, 0x3C, 0x111111, "BYICAO");
  // ICAO wins over a flight id and key that name other records.
  rig.Position(7, 0x3A, 0x111111, "BYFLT", 5, 5, 5);
  EXPECT_EQ(rig.Record(2).latitude, 5);
  EXPECT_EQ(rig.Record(2).logonKey, 7 * 256 + 0x3A);
  EXPECT_EQ(rig.Record(2).FlightIdText(), "BYICAO");  // never overwritten
  rig.Position(7, 0x3A, 0x222222, "BYFLT", 6, 6, 6);
  EXPECT_EQ(rig.Record(1).latitude, 6);
  EXPECT_EQ(rig.Record(1).icaoAddress, 0x222222);
  rig.Position(9, 0x3A, 0, "", 7, 7, 7);
  EXPECT_EQ(rig.db.FlightDbFindByLogonKey(9 * 256 + 0x3A), 3);  // a new record: no flight id, not listed
  EXPECT_EQ(rig.Record(3).listIndex, -1);
  EXPECT_EQ(rig.ui.flightList.size(), 3u);
}

TEST(FlightDb, AcarsUpdateMatchesRegistrationAndKeepsTheFlightId) {
  DbRig rig;
  rig.db.FlightDbUpdateFromAcars(1, 0, 0, "AF001", ".F-GSQA");
  EXPECT_EQ(rig.Record(0).changed, 1);
  rig.db.FlightDbPublish(0);
  rig.db.FlightDbUpdateFromAcars(1, 7, 0x3A, "AF999", ".F-GSQA");
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("AF999"), -1);
  const AircraftRecord r = rig.Record(0);
  EXPECT_EQ(r.FlightIdText(), "AF001");
  EXPECT_EQ(r.logonKey, 7 * 256 + 0x3A);
  EXPECT_EQ(r.changed, 0);               // nothing new to draw
  EXPECT_TRUE(rig.outputs.dde.empty());  // ACARS never reaches the aircraft item

  // listFlight 0 leaves the flight id out of the record and the list.
  rig.db.FlightDbUpdateFromAcars(0, 0, 0, "XX1", ".D-ABCD");
  EXPECT_EQ(rig.Record(1).FlightIdText(), "");
  EXPECT_EQ(rig.Record(1).RegistrationText(), ".D-ABCD");
  EXPECT_EQ(rig.ui.flightList.size(), 1u);
}

TEST(FlightDb, LogonUpdate) {
  DbRig rig;
  rig.Position(7, 0x3A, 0xABCDEF, "BAW123");
  rig.db.FlightDbUpdateFromLogon(9, 0x41, 0xABCDEF);  // the known aircraft takes the new key
  EXPECT_EQ(rig.Record(0).logonKey, 9 * 256 + 0x41);
  rig.db.FlightDbUpdateFromLogon(9, 255, 0xABCDEF);  // known, but no real AID: unchanged
  EXPECT_EQ(rig.Record(0).logonKey, 9 * 256 + 0x41);
  rig.db.FlightDbUpdateFromLogon(9, 0, 0x123456);  // unknown without AID: nothing
  EXPECT_EQ(rig.db.FlightDbFindByIcao(0x123456), -1);
  rig.db.FlightDbUpdateFromLogon(9, 0x42, 0x123456);
  const int created = rig.db.FlightDbFindByIcao(0x123456);
  ASSERT_EQ(created, 1);
  EXPECT_EQ(rig.Record(created).logonKey, 9 * 256 + 0x42);
  EXPECT_EQ(rig.Record(created).listIndex, -1);
}

TEST(FlightDb, DeletionRenumbersTheListInTableOrderAndClearEmptiesAll) {
  DbRig rig;
  rig.Position(7, 1, 0, "ONE");
  rig.Position(7, 2, 0, "TWO");
  rig.Position(7, 3, 0, "THREE");
  rig.db.FlightDbDeleteByListIndex(-1);  // no selection
  EXPECT_EQ(rig.ui.flightList.size(), 3u);
  EXPECT_EQ(rig.ui.flightListClears, 0);

  rig.db.FlightDbDeleteByListIndex(1);
  EXPECT_EQ(rig.ui.flightList, (std::vector<std::string>{"ONE", "THREE"}));
  EXPECT_EQ(rig.Record(0).listIndex, 0);
  EXPECT_EQ(rig.Record(2).listIndex, 1);
  EXPECT_EQ(rig.Record(1).inUse, 0);
  rig.db.FlightDbDeleteByListIndex(5);  // no such line
  EXPECT_EQ(rig.ui.flightList.size(), 2u);

  rig.db.FlightDbUpdateFromLogon(7, 9, 0x999999);  // unlisted
  rig.db.FlightDbClear();
  EXPECT_TRUE(rig.ui.flightList.empty());
  for (int i = 0; i < FlightDb::kCapacity; ++i) EXPECT_EQ(rig.Record(i).inUse, 0);
}

TEST(FlightDb, AgeingHonoursTheTimeout) {
  DbRig rig;
  rig.settings.Set(&SettingsRecord::aircraftTimeoutMinutes, 0);
  rig.Position(7, 1, 0, "ONE");
  for (int i = 0; i < 200; ++i) rig.db.FlightDbAgeTick();
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("ONE"), 0);

  rig.settings.Set(&SettingsRecord::aircraftTimeoutMinutes, 1);
  rig.Position(7, 1, 0, "ONE");                    // age 0 again
  rig.db.FlightDbUpdateFromLogon(7, 9, 0x999999);  // unlisted
  rig.db.FlightDbAgeTick();
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("ONE"), 0);
  rig.db.FlightDbAgeTick();
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("ONE"), -1);
  EXPECT_EQ(rig.db.FlightDbFindByIcao(0x999999), -1);
  EXPECT_TRUE(rig.ui.flightList.empty());
}

TEST(FlightDb, FullTableDropsNewAircraftSilently) {
  DbRig rig;
  for (int i = 0; i < FlightDb::kCapacity; ++i) rig.Position(7, 0, 0x100000 + i, ("F" + std::to_string(i)).c_str());
  rig.Position(7, 0, 0x200000, "LATE");
  rig.db.FlightDbUpdateFromAcars(1, 0, 0, "LATE2", ".X");
  rig.db.FlightDbUpdateFromLogon(7, 5, 0x300000);
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("LATE"), -1);
  EXPECT_EQ(rig.db.FlightDbFindByFlightId("LATE2"), -1);
  EXPECT_EQ(rig.db.FlightDbFindByIcao(0x300000), -1);
  EXPECT_EQ(rig.ui.flightList.size(), 100u);
  rig.Position(7, 0, 0x100000 + 42, "", 9, 9, 9);  // known aircraft still update
  EXPECT_EQ(rig.Record(42).latitude, 9);
}

TEST(FlightDb, DetailLine) {
  DbRig rig;
  rig.Position(7, 0x3A, 0xABCDEF, "BAW123", 0x40000, 0x80000, 21600);
  rig.db.FlightDbShowDetailsByListIndex(0);
  ASSERT_EQ(rig.ui.flightDetails.size(), 1u);
  EXPECT_EQ(rig.ui.flightDetails[0],
            " AIR 12:00:00  UTC FLT BAW123 ?????? ICAO ABCDEF AID 3A LAT 90 0 0  N  LON 180 0 0  W ");
  rig.db.FlightDbUpdateFromAcars(1, 0, 0, "", "");
  EXPECT_EQ(FlightDb::FormatFlightDetails(rig.Record(1)),
            " AIR 00:00:00  UTC FLT ?????? ?????? ICAO ?????? AID ?? LAT 0 0 0  N  LON 0 0 0  E ");
  rig.db.FlightDbSetPositionTime("BAW123", 1);
  EXPECT_EQ(rig.ui.flightDetails.back().substr(0, 18), " AIR 00:00:02  UTC");
  rig.db.FlightDbShowDetailsByListIndex(-1);
  EXPECT_EQ(rig.ui.flightDetails.size(), 2u);
  // 51.4984 degrees south and west (the ones' complement of 150000), at the
  // day's last half-second.
  const int south = 0x80000 | (~150000 & 0x7FFFF);
  rig.Position(7, 0x3B, 0, "SOUTH1", south, south, 43199);
  EXPECT_EQ(FlightDb::FormatFlightDetails(rig.Record(2)),
            " AIR 23:59:58  UTC FLT SOUTH1 ?????? ICAO ?????? AID 3B LAT 51 29 54  S  LON 51 29 54  W ");
}

TEST(FlightDb, PublishesOnlyChangesUnlessForced) {
  DbRig rig;
  rig.db.FlightDbPublish(0);
  EXPECT_TRUE(rig.outputs.plots.empty());
  rig.Position(7, 0x3A, 0, "BAW123", 11, 22, 0);
  rig.db.FlightDbUpdateFromAcars(1, 0, 0, "", ".G-ABCD");  // labelled by its registration
  rig.db.FlightDbUpdateFromLogon(7, 9, 0x999999);          // no label: left out
  rig.db.FlightDbPublish(0);
  ASSERT_EQ(rig.outputs.plots.size(), 1u);
  ASSERT_EQ(rig.outputs.plots[0].size(), 2u);
  EXPECT_EQ(rig.outputs.plots[0][0].label, "BAW123");
  EXPECT_EQ(rig.outputs.plots[0][0].latitude, 11);
  EXPECT_EQ(rig.outputs.plots[0][0].longitude, 22);
  EXPECT_EQ(rig.outputs.plots[0][1].label, ".G-ABCD");
  EXPECT_EQ(rig.outputs.stationPlots, 1);
  EXPECT_EQ(rig.outputs.kmlTables, std::vector<std::size_t>{100});
  rig.db.FlightDbPublish(0);
  EXPECT_EQ(rig.outputs.plots.size(), 1u);
  rig.db.FlightDbPublish(1);
  EXPECT_EQ(rig.outputs.plots.size(), 2u);
}

// The worker lists aircraft while the window thread deletes and ages them:
// at the end the list must hold each listed aircraft once, in table order,
// and every record's list index must name its own line.
TEST(FlightDb, ListStaysConsistentUnderConcurrentUse) {
  DbRig rig;
  rig.settings.Set(&SettingsRecord::aircraftTimeoutMinutes, 2);
  std::atomic<bool> stop{false};
  std::thread window([&] {
    for (int i = 0; !stop.load(); ++i) {
      rig.db.FlightDbDeleteByListIndex(i % 7);
      if (i % 3 == 0) rig.db.FlightDbAgeTick();
    }
  });
  for (int i = 0; i < 3000; ++i) {
    rig.Position(7, i % 90 + 1, 0, ("F" + std::to_string(i % 150)).c_str());
    if (i % 500 == 0) rig.db.FlightDbClear();
  }
  stop.store(true);
  window.join();

  const auto table = rig.db.FlightDbSnapshot();
  std::vector<std::string> expected;
  for (const AircraftRecord& r : table) {
    if (r.inUse == 1 && !r.FlightIdText().empty()) {
      EXPECT_EQ(r.listIndex, static_cast<int>(expected.size()));
      expected.emplace_back(r.FlightIdText());
    }
  }
  std::lock_guard lock(rig.ui.mutex);
  EXPECT_EQ(rig.ui.flightList, expected);
}

}  // namespace
}  // namespace talvir::testing
