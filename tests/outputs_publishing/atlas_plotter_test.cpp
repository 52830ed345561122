// Map plotting against a recording map: the calls of start, of one publish
// and of stop, in order, and what happens when the map is missing or goes.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/external_outputs.h"
#include "outputs/publishing/atlas_plotter.h"
#include "station_fixture.h"
#include "support/recording_ui_link.h"
#include "tracking/flight_db.h"

namespace talvir {
namespace {

using testing::kFortyFive;
using testing::kMinusFortyFive;

// Every call as one line; a call numbered failAt throws as a closed map would.
class RecordingAtlas final : public AtlasAutomation,
                             AtlasApplication,
                             AtlasMap,
                             AtlasLayers,
                             AtlasLayer,
                             AtlasLabelFont {
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
      void SetWindowLeft(int v) override { atlas.SetWindowLeft(v); }
      void SetWindowTop(int v) override { atlas.SetWindowTop(v); }
      void SetWindowWidth(int v) override { atlas.SetWindowWidth(v); }
      void SetWindowHeight(int v) override { atlas.SetWindowHeight(v); }
      void SetVisible(bool v) override { atlas.SetVisible(v); }
      AtlasMap& Map() override { return atlas.Map(); }
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

  void SetWindowLeft(int v) override { Call("window left", v); }
  void SetWindowTop(int v) override { Call("window top", v); }
  void SetWindowWidth(int v) override { Call("window width", v); }
  void SetWindowHeight(int v) override { Call("window height", v); }
  void SetVisible(bool v) override { Call("visible", v ? 1 : 0); }
  AtlasMap& Map() override { return *this; }
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

}  // namespace
}  // namespace talvir
