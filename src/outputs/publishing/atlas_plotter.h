#pragma once
// Map plotting: while switched on, each aircraft publish replaces the map's
// point layers with one layer of aircraft labels and the ground stations'
// layers. Runs on the window thread, which owns the map objects.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "outputs/output_sinks.h"
#include "outputs/publishing/atlas_automation.h"
#include "outputs/publishing/ground_station_places.h"

namespace talvir {

inline constexpr std::string_view kAtlasWarning = "DxAtlas not installed or working ";
inline constexpr int kAtlasPointLayerKind = 4;
inline constexpr int kAtlasAircraftLabelColour = 0xFFFF00;  // 0x00BBGGRR
inline constexpr int kAtlasStationLabelColour = 0x00FFFF;
inline constexpr int kAtlasPointColour = 0x800000;

struct AtlasPlotterLinks {
  // The stations to draw, in store order.
  std::function<std::vector<GroundStationPlace>()> stations;
  // The station whose squitters are heard now.
  std::function<int()> currentStation;
  // Shows a warning in a message box (the text is whole).
  std::function<void(std::string_view)> warn;
};

class AtlasPlotter {
 public:
  AtlasPlotter(AtlasAutomation& automation, Settings& settings, AtlasPlotterLinks links);

  // Switched on: attaches or starts the map, places its window and restores
  // the saved view. False (after the warning) when there is no map.
  bool DxAtlasStart();
  // Switched off, or shutdown: saves the view into the settings, hides the
  // window and lets the map go.
  void DxAtlasStop();
  bool InUse() const { return application_ != nullptr; }

  void DxAtlasPlotAircraft(std::span<const AircraftPlotEntry> aircraft);
  void DxAtlasPlotGroundStations();

 private:
  // One new layer with its labels drawn; the layers removed first if asked.
  void PlotLayer(bool removeLayers, int labelColour, const std::vector<AtlasPoint>& points);
  // A call failed: the map went away, plotting stops until the next start.
  void Forget();

  AtlasAutomation& automation_;
  Settings& settings_;
  const AtlasPlotterLinks links_;
  std::unique_ptr<AtlasApplication> application_;
};

}  // namespace talvir
