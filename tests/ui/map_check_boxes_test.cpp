// The main window's "DxAtlas" and "Google Earth" check boxes: the map's view
// through a restart, its close box, the warning where no map can be made,
// and the KML files. The demo's traffic on the map is the main window's test.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMessageBox>
#include <QTest>
#include <filesystem>

#include "app_window_test.h"
#include "audio/fake_capture_driver.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_layout.h"
#include "ui/map_output.h"

namespace talvir {
namespace {

// Half a step of the grid the centre is kept on, and a float's rounding.
constexpr double kCentreTolerance = kMapCentreStep / 2 + 1e-6;

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
