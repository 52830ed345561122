// The Map window: its coastline file, its view and the two numbers the
// settings keep of it, and the plotter's layers drawn where they belong; and
// the main window's "DxAtlas" and "Google Earth" check boxes: the map's view
// through a restart, its close box, the warning where no map can be made, and
// the KML files. The demo's traffic on the map is the main window's test.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMessageBox>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "app_window_test.h"
#include "audio/fake_capture_driver.h"
#include "outputs/publishing/atlas_plotter.h"
#include "qt_test_app.h"
#include "tracking/position_text.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_layout.h"
#include "ui/map_automation.h"
#include "ui/map_land.h"
#include "ui/map_output.h"

namespace talvir {
namespace {

// Half a step of the grid the centre is kept on, and a float's rounding.
constexpr double kCentreTolerance = kMapCentreStep / 2 + 1e-6;

// Degrees as the 20-bit code of a position.
int32_t Code(double degrees) {
  return static_cast<int32_t>(std::lround(degrees * kCoordinateFullScale / 180.0)) & 0xFFFFF;
}

// Pixels of about this colour (smoothed text edges aside) within a square
// around a point.
int CountColour(const QImage& image, QPointF around, int reach, QColor colour) {
  int found = 0;
  for (int y = static_cast<int>(around.y()) - reach; y <= around.y() + reach; ++y) {
    for (int x = static_cast<int>(around.x()) - reach; x <= around.x() + reach; ++x) {
      if (!image.rect().contains(x, y)) continue;
      const QColor pixel = image.pixelColor(x, y);
      const int distance = std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                           std::abs(pixel.blue() - colour.blue());
      if (distance < 90) ++found;
    }
  }
  return found;
}

TEST(MapLand, ShippedCoastlinesLoadAndBrokenFilesAreRefused) {
  const QByteArray shipped = ShippedLandFile();
  const std::optional<QPainterPath> land = ParseLandFile(shipped);
  ASSERT_TRUE(land.has_value()) << shipped.size() << " bytes";
  EXPECT_LE(land->boundingRect().left(), -179.9);
  EXPECT_GE(land->boundingRect().right(), 179.9);
  // Rings that cross the date line run on past it: a jump back across the
  // whole map would draw a streak along that latitude. Only Antarctica's
  // closing edge along the pole spans the map.
  for (int i = 1; i < land->elementCount(); ++i) {
    const QPainterPath::Element from = land->elementAt(i - 1), to = land->elementAt(i);
    if (to.isLineTo() && !(from.y == -90.0 && to.y == -90.0)) {
      EXPECT_LT(std::abs(to.x - from.x), 180.0) << i;
    }
  }
  EXPECT_TRUE(land->contains(QPointF(185.0, 67.0)));    // Chukotka, past the date line
  EXPECT_TRUE(land->contains(QPointF(20.0, 10.0)));     // Chad
  EXPECT_TRUE(land->contains(QPointF(-100.0, 40.0)));   // Kansas
  EXPECT_FALSE(land->contains(QPointF(-30.0, 0.0)));    // mid-Atlantic
  EXPECT_FALSE(land->contains(QPointF(51.0, 42.0)));    // the Caspian, a hole

  QByteArray wrongMagic = shipped;
  wrongMagic[0] = 'X';
  QByteArray manyRings = shipped;
  manyRings[8] = static_cast<char>(0xFF);  // more rings than the file holds
  for (const QByteArray& broken : {QByteArray(), shipped.left(shipped.size() - 1), shipped + QByteArray(1, '\0'),
                                   wrongMagic, manyRings, QByteArray("TLVLAND1\0\0\0\0", 12)}) {
    EXPECT_FALSE(ParseLandFile(broken).has_value()) << broken.size();
  }
}

TEST(MapView, SettingsValuesKeepZoomAndCentreAndRefuseNonsense) {
  MapView view{.centreLongitude = -122.37, .centreLatitude = 37.62, .zoom = 5.5};
  MapView back;
  ApplyMapZoomValue(back, MapZoomValue(view));
  ApplyMapCentreValue(back, MapCentreValue(view));
  EXPECT_EQ(back.zoom, 5.5);
  EXPECT_NEAR(back.centreLongitude, -122.37, kCentreTolerance);
  EXPECT_NEAR(back.centreLatitude, 37.62, kCentreTolerance);
  // The grid's corners are exact too.
  for (const auto& [longitude, latitude] : {std::pair{180.0, 90.0}, std::pair{-179.9, -90.0}}) {
    MapView corner{.centreLongitude = longitude, .centreLatitude = latitude};
    ApplyMapCentreValue(back, MapCentreValue(corner));
    EXPECT_NEAR(back.centreLongitude, longitude, kCentreTolerance);
    EXPECT_NEAR(back.centreLatitude, latitude, kCentreTolerance);
  }

  // Never saved (both 0.0), or garbage from a damaged settings file: the
  // whole world, centred on 0 N 0 E.
  for (const float value : {0.0f, std::nanf(""), INFINITY, -1e30f, 1e30f}) {
    MapView restored{.centreLongitude = 10, .centreLatitude = 10, .zoom = 3};
    ApplyMapZoomValue(restored, value);
    ApplyMapCentreValue(restored, value);
    EXPECT_GE(restored.zoom, kMinMapZoom) << value;
    EXPECT_LE(restored.zoom, kMaxMapZoom) << value;
    EXPECT_EQ(restored.centreLongitude, 0.0) << value;
    EXPECT_EQ(restored.centreLatitude, 0.0) << value;
  }

  // Moving across the date line comes back from the other side.
  MapView pacific{.centreLongitude = 175.0};
  pacific.Pan(10.0, 100.0);
  EXPECT_DOUBLE_EQ(pacific.centreLongitude, -175.0);
  EXPECT_DOUBLE_EQ(pacific.centreLatitude, 90.0);
}

class MapWindowTest : public ::testing::Test {
 protected:
  MapWindowTest() { testing::QtTestApp(); }

  Settings settings_;
  MapAutomation automation_;
  std::vector<GroundStationPlace> stations_{
      {.id = 7, .longitude = Code(-6.3), .latitude = Code(53.4), .name = "SHANNON", .activeFrequencies = {}},
      {.id = 13, .longitude = Code(-149.9), .latitude = Code(61.2), .name = "ANCHORAGE", .activeFrequencies = {}}};
  std::string warned_;
  AtlasPlotter plotter_{automation_, settings_,
                        {.stations = [this] { return stations_; },
                         .currentStation = [] { return 7; },
                         .warn = [this](std::string_view text) { warned_ = text; }}};
};

TEST_F(MapWindowTest, PlotterDrawsLabelsInTheirColoursWhereThePlacesAre) {
  ASSERT_TRUE(plotter_.DxAtlasStart());
  MapWindow* window = automation_.window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->geometry(), QRect(50, 50, 500, 350));

  const AircraftPlotEntry aircraft[] = {{.latitude = Code(40.6), .longitude = Code(-73.8), .label = "BAW117"}};
  // The aircraft plot ends with the stations' plot.
  plotter_.DxAtlasPlotAircraft(aircraft);
  ASSERT_EQ(window->layers().size(), 2u);
  const MapLayer& planes = *window->layers()[0];
  EXPECT_EQ(planes.pointColour(), QColor(0, 0, 128));
  EXPECT_EQ(planes.fontName(), "Arial");
  EXPECT_FALSE(planes.italic());
  ASSERT_EQ(planes.points().size(), 1u);
  EXPECT_EQ(planes.points()[0].label, "BAW117");
  const MapLayer& stations = *window->layers()[1];
  ASSERT_EQ(stations.points().size(), 2u);
  EXPECT_EQ(stations.points()[0].label, "GS7A");
  EXPECT_EQ(stations.points()[1].label, "GS13");

  // Each label is drawn in its colour just right of its place: New York's
  // in cyan (0xFFFF00 in 0x00BBGGRR), Shannon's and Anchorage's in yellow;
  // the sea has neither.
  const QImage image = window->grab().toImage();
  const auto labelAt = [&](double longitude, double latitude) {
    return window->ToWindow(longitude, latitude) + QPointF(18, 0);
  };
  EXPECT_GT(CountColour(image, labelAt(-73.8, 40.6), 12, QColor(0, 255, 255)), 5);
  EXPECT_GT(CountColour(image, labelAt(-6.3, 53.4), 12, QColor(255, 255, 0)), 5);
  EXPECT_GT(CountColour(image, labelAt(-149.9, 61.2), 12, QColor(255, 255, 0)), 5);
  EXPECT_EQ(CountColour(image, window->ToWindow(-30.0, -30.0), 12, QColor(0, 255, 255)), 0);
  EXPECT_EQ(CountColour(image, window->ToWindow(-30.0, -30.0), 12, QColor(255, 255, 0)), 0);

  // Wheel and drag change the view; zooming keeps the place under the
  // pointer where it is.
  const QPointF newYork = window->ToWindow(-73.8, 40.6);
  MapView view = window->view();
  const QPointF under = window->ToDegrees(newYork);
  view.ZoomAbout(4.0, under.x(), under.y());
  window->SetView(view);
  EXPECT_NEAR(window->ToWindow(-73.8, 40.6).x(), newYork.x(), 1e-6);
  EXPECT_NEAR(window->ToWindow(-73.8, 40.6).y(), newYork.y(), 1e-6);
  QTest::mousePress(window, Qt::LeftButton, {}, QPoint(200, 200));
  QTest::mouseMove(window, QPoint(250, 180));
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(250, 180));
  EXPECT_NEAR(window->ToWindow(-73.8, 40.6).x(), newYork.x() + 50, 1e-6);
  EXPECT_NEAR(window->ToWindow(-73.8, 40.6).y(), newYork.y() - 20, 1e-6);

  // Stop hides the window; the next start attaches to the same window and
  // shows the view stop kept. (The view through a restart is the check
  // box's test.)
  plotter_.DxAtlasStop();
  EXPECT_FALSE(window->isVisible());
  window->SetView(MapView{});
  ASSERT_TRUE(plotter_.DxAtlasStart());
  EXPECT_EQ(automation_.window(), window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->view().zoom, 4.0);
  EXPECT_TRUE(warned_.empty());
}

class MapCheckBoxTest : public testing::AppWindowTest {
 protected:
  // As the program starts: with the settings file when there is one.
  std::unique_ptr<Application> StartApp(std::unique_ptr<CaptureDriver> driver) {
    auto app = MakeApp(std::move(driver));
    app->LoadSettings();
    // These tests are about the map, not the first start's warning.
    app->settings().Set(&SettingsRecord::settingsLoaded, 1);
    return app;
  }
  static QCheckBox* Box(const CMainDialog& window, int id) { return static_cast<QCheckBox*>(window.control(id)); }
};

TEST_F(MapCheckBoxTest, ViewSurvivesARestartAndClosingTheMapUnticksItsBox) {
  MapView chosen{.centreLongitude = 151.2, .centreLatitude = -33.9, .zoom = 6.0};
  {
    const auto app = StartApp(std::make_unique<testing::FakeCaptureDriver>());
    CMainDialog window(*app);
    window.StartUp();
    QTest::mouseClick(Box(window, main_dialog::kDxAtlas), Qt::LeftButton);
    ASSERT_TRUE(window.map().On());
    window.map().window()->SetView(chosen);
    // Ended with the map still on: its view is saved before the settings are.
    window.Exit(false);
  }
  {
    const auto app = StartApp(std::make_unique<testing::FakeCaptureDriver>());
    CMainDialog window(*app);
    window.StartUp();
    QCheckBox* box = Box(window, main_dialog::kDxAtlas);
    QTest::mouseClick(box, Qt::LeftButton);
    MapWindow* map = window.map().window();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->view().zoom, 6.0);
    EXPECT_NEAR(map->view().centreLongitude, 151.2, kCentreTolerance);
    EXPECT_NEAR(map->view().centreLatitude, -33.9, kCentreTolerance);

    // The map's close box is the check box switched off, view saved.
    map->SetView(MapView{.centreLongitude = -20.0, .zoom = 2.0});
    map->close();
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(window.map().On());
    EXPECT_FALSE(map->isVisible());
    float zoom = 0, centre = 0;
    app->settings().DxAtlasViews(zoom, centre);
    EXPECT_EQ(zoom, 2.0f);
    window.Exit(false);
  }
}

TEST_F(MapCheckBoxTest, NoMapWindowGivesTheWarningAndGoogleEarthWritesTheFiles) {
  const auto app = StartApp(std::make_unique<testing::FakeCaptureDriver>());
  MapOutput map(*app, {}, [] { return QByteArray("not a land file"); });
  {
    const testing::MessageBoxAnswer ok(QMessageBox::Ok);
    EXPECT_FALSE(map.SwitchOn());
    EXPECT_EQ(ok.asked(), "DxAtlas not installed or working README.md#map");
    EXPECT_EQ(ok.title(), "");
  }
  EXPECT_FALSE(map.On());
  EXPECT_EQ(map.window(), nullptr);

  CMainDialog window(*app);
  window.StartUp();
  QCheckBox* googleEarth = Box(window, main_dialog::kGoogleEarth);
  QTest::mouseClick(googleEarth, Qt::LeftButton);
  EXPECT_TRUE(app->kml().Enabled());
  EXPECT_TRUE(std::filesystem::exists(base_ / kGroundStationKmlName));
  QTest::mouseClick(googleEarth, Qt::LeftButton);
  EXPECT_FALSE(app->kml().Enabled());
  window.Exit(false);
}

}  // namespace
}  // namespace talvir
