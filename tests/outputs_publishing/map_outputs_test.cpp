// The map outputs: the atlas plotter against a recording map (the calls of
// start, of one publish and of stop, in order, and a map that is missing or
// goes), and the KML files (what they hold for aircraft and stations of
// every kind, that an XML parser reads them whatever the names hold, and when
// they are written).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/external_outputs.h"
#include "outputs/publishing/atlas_plotter.h"
#include "outputs/publishing/kml_text.h"
#include "outputs/publishing/kml_viewer_launcher.h"
#include "outputs/publishing/kml_writer.h"
#include "station_fixture.h"
#include "support/read_file.h"
#include "support/recording_ui_link.h"
#include "support/well_formed_xml.h"
#include "tracking/flight_db.h"

namespace talvir {
namespace {

using testing::kFortyFive;
using testing::kMinusFortyFive;

// Every call as one line; a call numbered failAt throws as a closed map would.
class RecordingAtlas final : public AtlasAutomation, AtlasMap, AtlasLayers, AtlasLayer, AtlasLabelFont {
 public:
  std::vector<std::string> calls;
  bool available = true;
  int failAt = -1;
  float view1 = 0, view2 = 0;

  std::unique_ptr<AtlasApplication> AttachOrStart() override {
    Call("attach or start");
    if (!available) return nullptr;
    struct Handle final : AtlasApplication {
      explicit Handle(RecordingAtlas& atlas) : atlas(atlas) {}
      void SetWindowLeft(int v) override { atlas.Call("window left", v); }
      void SetWindowTop(int v) override { atlas.Call("window top", v); }
      void SetWindowWidth(int v) override { atlas.Call("window width", v); }
      void SetWindowHeight(int v) override { atlas.Call("window height", v); }
      void SetVisible(bool v) override { atlas.Call("visible", v ? 1 : 0); }
      AtlasMap& Map() override { return atlas; }
      RecordingAtlas& atlas;
    };
    return std::make_unique<Handle>(*this);
  }

 private:
  void Call(std::string text) {
    calls.push_back(std::move(text));
    if (static_cast<int>(calls.size()) == failAt) throw AtlasError("the map went away");
  }
  void Call(const char* name, int value) { Call(std::string(name) + " " + std::to_string(value)); }
  static std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", value);
    return text;
  }

  void BeginUpdate() override { Call("begin update"); }
  void EndUpdate() override { Call("end update"); }
  void SetPlotMode(int v) override { Call("plot mode", v); }
  void SetStartMode(int v) override { Call("start mode", v); }
  float ViewValue1() override { return view1; }
  void SetViewValue1(float v) override { Call("view 1 " + std::to_string(v)); }
  float ViewValue2() override { return view2; }
  void SetViewValue2(float v) override { Call("view 2 " + std::to_string(v)); }
  AtlasLayers& Layers() override { return *this; }
  AtlasLayer& AddLayer(int kind) override {
    Call("add layer", kind);
    return *this;
  }
  void RemoveAllLayers() override { Call("remove layers"); }
  void SetPointStyle(int v) override { Call("point style", v); }
  void SetLabelColour(int v) override { Call("label colour " + Hex(v)); }
  AtlasLabelFont& LabelFont() override { return *this; }
  void SetPointColour(int v) override { Call("point colour " + Hex(v)); }
  void SetPoints(const std::vector<AtlasPoint>& points) override {
    std::string text = "points";
    for (const AtlasPoint& p : points) {
      char point[64];
      std::snprintf(point, sizeof point, " %.1f,%.1f %s", static_cast<double>(p.longitude),
                    static_cast<double>(p.latitude), p.label.c_str());
      text += point;
    }
    Call(text);
  }
  void SetName(std::string_view name) override { Call("font " + std::string(name)); }
  void SetItalic(bool italic) override { Call("italic", italic ? 1 : 0); }
};

class AtlasPlotterTest : public ::testing::Test {
 protected:
  AtlasPlotterTest() { outputs.AttachAtlas(&plotter); }

  std::vector<std::string> Take() { return std::exchange(atlas.calls, {}); }

  testing::RecordingUiLink ui;
  testing::StationFixture fixture;
  Settings settings;
  RecordingAtlas atlas;
  std::vector<std::string> warnings;
  int currentStation = 3;
  AtlasPlotter plotter{atlas, settings,
                       AtlasPlotterLinks{[this] { return GroundStationPlaces(fixture.stations, fixture.store); },
                                         [this] { return currentStation; },
                                         [this](std::string_view text) { warnings.emplace_back(text); }}};
  DdeServer dde{settings};
  ExternalOutputs outputs{dde};
  FlightDb flights{settings, outputs, ui};
};

TEST_F(AtlasPlotterTest, StartPlacesTheWindowAndRestoresTheViewThatStopSaved) {
  settings.SetDxAtlasViews(12.5F, 3.0F);
  ASSERT_TRUE(plotter.DxAtlasStart());
  EXPECT_EQ(Take(), (std::vector<std::string>{"attach or start", "window top 50", "window left 50",
                                              "window width 500", "window height 350", "visible 1", "start mode 0",
                                              "view 1 12.500000", "view 2 3.000000"}));
  atlas.view1 = -20.0F;
  atlas.view2 = 4.0F;
  plotter.DxAtlasStop();
  EXPECT_EQ(Take(), std::vector<std::string>{"visible 0"});
  float view1 = 0, view2 = 0;
  settings.DxAtlasViews(view1, view2);
  EXPECT_EQ(view1, -20.0F);
  EXPECT_EQ(view2, 4.0F);
  EXPECT_FALSE(plotter.InUse());

  // Through the settings file, the next run's map opens on the same view.
  const auto file = fixture.dir.path() / "talvir.ini";
  ASSERT_TRUE(settings.Save(file));
  Settings nextRun;
  nextRun.Load(file);
  AtlasPlotter next(atlas, nextRun, {});
  ASSERT_TRUE(next.DxAtlasStart());
  const auto calls = Take();
  EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
            (std::vector<std::string>{"view 1 -20.000000", "view 2 4.000000"}));
}

// One publish leaves three layers: the aircraft, then the stations twice
// (once at the end of the aircraft plot, once more after it).
TEST_F(AtlasPlotterTest, OnePublishDrawsAircraftThenTheStationsTwiceAndNoAircraftTheStations) {
  ASSERT_TRUE(plotter.DxAtlasStart());
  Take();
  flights.FlightDbUpdateFromPosition(3, 0x21, 0, "BAW12", kFortyFive, kMinusFortyFive, 100);
  flights.FlightDbUpdateFromAcars(1, 3, 0x22, "", "G-REG");
  flights.FlightDbPublish(0);
  const std::vector<std::string> stationLayer{
      "begin update", "plot mode 0", "add layer 4", "point style 0", "label colour 0x00FFFF", "font Arial",
      "italic 0", "point colour 0x800000", "points -45.0,45.0 GS3A 45.0,-45.0 GS2", "end update"};
  std::vector<std::string> expected{"begin update",  "plot mode 0", "remove layers", "add layer 4", "point style 0",
                                    "label colour 0xFFFF00", "font Arial", "italic 0", "point colour 0x800000",
                                    "points -45.0,45.0 BAW12 0.0,0.0 G-REG", "end update"};
  expected.insert(expected.end(), stationLayer.begin(), stationLayer.end());
  expected.insert(expected.end(), stationLayer.begin(), stationLayer.end());
  EXPECT_EQ(Take(), expected);

  flights.FlightDbPublish(0);
  EXPECT_TRUE(Take().empty()) << "nothing changed";
  currentStation = 2;
  flights.FlightDbPublish(1);
  EXPECT_EQ(Take().at(19), "points -45.0,45.0 GS3 45.0,-45.0 GS2A");

  // No aircraft still draws the stations.
  plotter.DxAtlasPlotAircraft({});
  const auto calls = Take();
  ASSERT_EQ(calls.size(), 10U);
  EXPECT_EQ(calls[2], "add layer 4") << "no layer removed";
}

TEST_F(AtlasPlotterTest, AMissingMapWarnsAndAMapThatGoesStopsThePlotting) {
  atlas.available = false;
  EXPECT_FALSE(plotter.DxAtlasStart());
  EXPECT_EQ(warnings, std::vector<std::string>{"DxAtlas not installed or working README.md#map"});
  plotter.DxAtlasPlotGroundStations();
  EXPECT_EQ(Take(), std::vector<std::string>{"attach or start"});

  atlas.available = true;
  ASSERT_TRUE(plotter.DxAtlasStart());
  atlas.failAt = static_cast<int>(atlas.calls.size()) + 3;
  plotter.DxAtlasPlotGroundStations();
  EXPECT_FALSE(plotter.InUse());
  Take();
  plotter.DxAtlasPlotGroundStations();
  EXPECT_TRUE(Take().empty()) << "forgotten until switched on again";
}

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
