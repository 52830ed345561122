#include "outputs/publishing/atlas_plotter.h"

#include <cstdio>

#include "tracking/position_text.h"

namespace talvir {
namespace {

// The map window's place on the desktop when it is started.
constexpr int kWindowLeft = 50;
constexpr int kWindowTop = 50;
constexpr int kWindowWidth = 500;
constexpr int kWindowHeight = 350;

constexpr std::string_view kAtlasHelpAddress = "README.md#map";

AtlasPoint Point(int32_t longitude, int32_t latitude, std::string label) {
  return {static_cast<float>(CoordinateDegrees(longitude)), static_cast<float>(CoordinateDegrees(latitude)),
          std::move(label)};
}

}  // namespace

AtlasPlotter::AtlasPlotter(AtlasAutomation& automation, Settings& settings, AtlasPlotterLinks links)
    : automation_(automation), settings_(settings), links_(std::move(links)) {}

bool AtlasPlotter::DxAtlasStart() {
  if (application_ == nullptr) application_ = automation_.AttachOrStart();
  if (application_ == nullptr) {
    if (links_.warn) links_.warn(std::string(kAtlasWarning) + std::string(kAtlasHelpAddress));
    return false;
  }
  try {
    application_->SetWindowTop(kWindowTop);
    application_->SetWindowLeft(kWindowLeft);
    application_->SetWindowWidth(kWindowWidth);
    application_->SetWindowHeight(kWindowHeight);
    application_->SetVisible(true);
    application_->Map().SetStartMode(0);
    float view1 = 0, view2 = 0;
    settings_.DxAtlasViews(view1, view2);
    application_->Map().SetViewValue1(view1);
    application_->Map().SetViewValue2(view2);
  } catch (const AtlasError&) {
    Forget();
    return false;
  }
  return true;
}

void AtlasPlotter::DxAtlasStop() {
  if (application_ == nullptr) return;
  try {
    const float view1 = application_->Map().ViewValue1();
    const float view2 = application_->Map().ViewValue2();
    settings_.SetDxAtlasViews(view1, view2);
    application_->SetVisible(false);
  } catch (const AtlasError&) {
    // Gone already: nothing to save or hide.
  }
  Forget();
}

void AtlasPlotter::Forget() { application_.reset(); }

void AtlasPlotter::PlotLayer(bool removeLayers, int labelColour, const std::vector<AtlasPoint>& points) {
  AtlasMap& map = application_->Map();
  map.BeginUpdate();
  map.SetPlotMode(0);
  if (removeLayers) map.Layers().RemoveAllLayers();
  AtlasLayer& layer = map.Layers().AddLayer(kAtlasPointLayerKind);
  layer.SetPointStyle(0);
  layer.SetLabelColour(labelColour);
  AtlasLabelFont& font = layer.LabelFont();
  font.SetName("Arial");
  font.SetItalic(false);
  layer.SetPointColour(kAtlasPointColour);
  layer.SetPoints(points);
  map.EndUpdate();
}

void AtlasPlotter::DxAtlasPlotAircraft(std::span<const AircraftPlotEntry> aircraft) {
  if (application_ == nullptr) return;
  if (!aircraft.empty()) {
    std::vector<AtlasPoint> points;
    points.reserve(aircraft.size());
    for (const AircraftPlotEntry& entry : aircraft) points.push_back(Point(entry.longitude, entry.latitude, entry.label));
    try {
      PlotLayer(true, kAtlasAircraftLabelColour, points);
    } catch (const AtlasError&) {
      Forget();
      return;
    }
  }
  DxAtlasPlotGroundStations();
}

void AtlasPlotter::DxAtlasPlotGroundStations() {
  if (application_ == nullptr) return;
  const int current = links_.currentStation ? links_.currentStation() : -1;
  std::vector<AtlasPoint> points;
  for (const GroundStationPlace& station : links_.stations()) {
    char label[24];
    std::snprintf(label, sizeof label, station.id == current ? "GS%dA" : "GS%d", station.id);
    points.push_back(Point(station.longitude, station.latitude, label));
  }
  try {
    PlotLayer(false, kAtlasStationLabelColour, points);
  } catch (const AtlasError&) {
    Forget();
  }
}

}  // namespace talvir
