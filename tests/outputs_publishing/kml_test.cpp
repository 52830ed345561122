// The KML files: what they hold for aircraft and stations of every kind, that an XML parser
// reads them whatever the names hold, and when they are written.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "outputs/publishing/kml_text.h"
#include "outputs/publishing/kml_viewer_launcher.h"
#include "outputs/publishing/kml_writer.h"
#include "station_fixture.h"
#include "support/read_file.h"
#include "support/well_formed_xml.h"

namespace talvir {
namespace {

using testing::kFortyFive;
using testing::kMinusFortyFive;

constexpr std::time_t kDecember7 = 1796637600;  // 2026-12-07 10:00:00 UTC

AircraftRecord Aircraft(const char* flightId, const char* registration) {
  AircraftRecord r;
  std::snprintf(r.flightId, sizeof r.flightId, "%s", flightId);
  std::snprintf(r.registration, sizeof r.registration, "%s", registration);
  r.inUse = 1;
  return r;
}

void AddPosition(AircraftRecord& r, int32_t longitude, int32_t latitude) {
  r.longitude = longitude;
  r.latitude = latitude;
  std::copy(std::begin(r.track) + 1, std::end(r.track), std::begin(r.track));
  r.track[kTrackLength - 1] = {longitude, latitude};
}

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

class KmlTest : public ::testing::Test {
 protected:
  testing::StationFixture fixture;
};

TEST_F(KmlTest, GroundStationsWithTheirActiveFrequenciesInSlotOrder) {
  const std::string kml = GroundStationKml(GroundStationPlaces(fixture.stations, fixture.store));
  EXPECT_TRUE(testing::WellFormedXml(kml)) << kml;
  EXPECT_TRUE(kml.starts_with(Lines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                     "<kml xmlns=\"http://earth.google.com/kml/2.0\">", "<Document>",
                                     "<!-- Begin Style Definitions -->", "<Style id=\"myGndStyles\">"})));
  // Slots 0 and 2: 8977 kHz, and a value of 1000 printed as it is.
  EXPECT_NE(kml.find(Lines({"<Placemark>", "<name>", "GS(3)", "</name>", "<description>",
                            "R&amp;D &lt;LAB&gt; &quot;7&quot;", "<br />", "Known Active Frequencies<br />",
                            "    8977 KHz<br />", "    1000<br />", "</description>",
                            "<styleUrl>#myGndStyles</styleUrl>", "<Point>",
                            "<coordinates>-45.000086,45.000086,1000</coordinates>", "</Point>", "</Placemark>",
                            "<Placemark>", "<name>", "GS(2)", "</name>", "<description>", "MOLOKAI", "<br />",
                            "Known Active Frequencies<br />", "</description>"})),
            std::string::npos)
      << kml;
  EXPECT_TRUE(kml.ends_with(Lines({"</Placemark>", "</Document>", "</kml>"})));
}

TEST_F(KmlTest, AircraftWithAPlacePointsAndTracks) {
  std::vector<AircraftRecord> table;
  table.push_back(Aircraft("NOPOS1", ""));  // flight id, no position: left out
  AircraftRecord registrationOnly = Aircraft("", "N123");
  AddPosition(registrationOnly, kFortyFive, kFortyFive);
  table.push_back(registrationOnly);  // no flight id: left out
  AircraftRecord once = Aircraft("A&B<1", "G-\"X\"");
  once.icaoAddress = 0x4CA1B2;
  once.positionTime = 18765;  // 10:25:30
  once.changed = 1;
  AddPosition(once, kMinusFortyFive, kFortyFive);
  table.push_back(once);
  AircraftRecord eleven = Aircraft("LONG11", "");
  for (int i = 1; i <= 11; ++i) AddPosition(eleven, i * 1000, i * 2000);
  table.push_back(eleven);
  AircraftRecord freed = Aircraft("GONE1", "");
  AddPosition(freed, kFortyFive, kFortyFive);
  freed.inUse = 0;
  table.push_back(freed);

  const std::string kml = AircraftKml(table, kDecember7);
  EXPECT_TRUE(testing::WellFormedXml(kml)) << kml;
  EXPECT_EQ(kml.find("NOPOS1"), std::string::npos);
  EXPECT_EQ(kml.find("N123"), std::string::npos);
  EXPECT_EQ(kml.find("GONE1"), std::string::npos);
  EXPECT_NE(kml.find(Lines({"<!-- End Style Definitions -->", "<Placemark>", "<name>", "A&amp;B&lt;1", "</name>",
                            "<description>", "REG: G-&quot;X&quot;<br />", "ICA0: 4CA1B2<br />",
                            "TIME: 10:25:30  UTC<br />", "</description>", "<styleUrl>#myAirStyles2</styleUrl>",
                            "<Point>", "<coordinates>-45.000086,45.000086,10000</coordinates>",
                            "<TimeStamp><when>2026-12-7T10:25:30 Z</when></TimeStamp></Point>", "</Placemark>",
                            "<Placemark>", "<name>", "LONG11", "</name>", "<description>",
                            "TIME: 00:00:00  UTC<br />", "</description>", "<styleUrl>#myAirStyles1</styleUrl>"})),
            std::string::npos)
      << kml;
  // One position: no track. Eleven: the ten newest, newest first.
  EXPECT_EQ(kml.find("<name>A&amp;B&lt;1</name>"), std::string::npos);
  std::string track = Lines({"<Placemark>", "<name>LONG11</name>", "<description>Aircraft Track</description>",
                             "<styleUrl>myYellowTrackStyle</styleUrl>", "<LineString>", "<extrude>0</extrude>",
                             "<tessellate>0</tessellate>", "<altitudeMode>relative</altitudeMode>",
                             "<coordinates>"});
  for (int i = 11; i >= 2; --i) {
    char line[64];
    std::snprintf(line, sizeof line, "%f,%f,0\r\n", i * 1000 * 180.0 / 524287, i * 2000 * 180.0 / 524287);
    track += line;
  }
  track += Lines({"</coordinates>", "</LineString>", "</Placemark>", "</Document>", "</kml>"});
  EXPECT_TRUE(kml.ends_with(track)) << kml;
}

class RecordingViewer final : public KmlViewer {
 public:
  void OpenKml(const std::filesystem::path& file) override { opened.push_back(file.filename().string()); }
  std::vector<std::string> opened;
};

TEST_F(KmlTest, FilesAreWrittenOnlyWhileSwitchedOnAndKeptWhenTheTableEmpties) {
  RecordingViewer viewer;
  KmlWriter writer(fixture.stations, fixture.store, [] { return kDecember7; }, &viewer);
  const auto folder = fixture.dir.path();
  std::vector<AircraftRecord> table{Aircraft("BAW1", "")};
  AddPosition(table[0], kFortyFive, kFortyFive);

  writer.KmlWriteAircraft(table);
  fixture.stations.GroundStationSetActive(2, 1);
  writer.KmlRefreshGroundStations();
  EXPECT_FALSE(std::filesystem::exists(folder / kAircraftKmlName));
  EXPECT_FALSE(std::filesystem::exists(folder / kGroundStationKmlName));
  EXPECT_TRUE(viewer.opened.empty());

  writer.KmlEnable(folder);
  EXPECT_EQ(viewer.opened, std::vector<std::string>{"groundstation.kml"});
  writer.KmlRefreshGroundStations();  // the change made while off
  writer.KmlRefreshGroundStations();  // nothing changed since
  EXPECT_EQ(viewer.opened.size(), 2U);
  writer.KmlWriteAircraft(table);
  EXPECT_NE(testing::ReadFile(folder / kAircraftKmlName).find("BAW1"), std::string::npos);

  table[0].inUse = 0;  // everyone timed out: the last file stays
  writer.KmlWriteAircraft(table);
  EXPECT_NE(testing::ReadFile(folder / kAircraftKmlName).find("BAW1"), std::string::npos);
  fixture.stations.GroundStationSetActive(2, 3);
  writer.KmlDisable();
  writer.KmlRefreshGroundStations();
  EXPECT_EQ(viewer.opened, (std::vector<std::string>{"groundstation.kml", "groundstation.kml", "aircraft.kml"}));
}

TEST(KmlViewerLauncherTest, PrefersGoogleEarthThenMarbleThenXdgOpenAndOpensEachFileOnce) {
  testing::TempDir dir;
  const auto bin1 = dir.path() / "bin1";
  const auto bin2 = dir.path() / "bin2";
  std::filesystem::create_directories(bin1);
  std::filesystem::create_directories(bin2);
  auto install = [](const std::filesystem::path& file) {
    std::ofstream(file) << "#!/bin/sh\n";
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
  };
  std::vector<std::string> statuses;
  std::vector<std::string> launched;
  auto launcher = [&](const std::string& path) {
    return KmlViewerLauncher(
        path, [&statuses](std::string_view text) { statuses.emplace_back(text); },
        [&launched](const std::filesystem::path& program, const std::filesystem::path& file) {
          launched.push_back(program.filename().string() + " " + file.filename().string());
          return true;
        });
  };
  const std::string path = bin1.string() + "::" + bin2.string();

  KmlViewerLauncher none = launcher(path);
  none.OpenKml("a.kml");
  none.OpenKml("b.kml");
  EXPECT_EQ(statuses, std::vector<std::string>{std::string(kNoKmlViewerText)});
  EXPECT_TRUE(launched.empty());

  install(bin2 / "xdg-open");
  EXPECT_EQ(launcher(path).FindViewer(), bin2 / "xdg-open");
  install(bin1 / "marble");
  EXPECT_EQ(launcher(path).FindViewer(), bin1 / "marble");
  install(bin2 / "google-earth-pro");
  KmlViewerLauncher best = launcher(path);
  best.OpenKml("aircraft.kml");
  best.OpenKml("aircraft.kml");
  best.OpenKml("groundstation.kml");
  EXPECT_EQ(launched, (std::vector<std::string>{"google-earth-pro aircraft.kml", "google-earth-pro groundstation.kml"}));
}

}  // namespace
}  // namespace talvir
